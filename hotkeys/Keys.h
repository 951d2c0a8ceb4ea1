#pragma once

#include <QPointer>
#include <QWidget>

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

// The Define Keys dialog: binds Full Rewind, Fast Rewind, Play/Pause and
// Fast Forward to the function keys. Shown modeless and without an owner,
// it disables the main window while it is open, as a modal dialog would,
// and the hot keys keep working meanwhile.
class Keys : public QWidget
{
    Q_OBJECT
public:
    // Shows the one dialog, creating it if needed.
    static Keys *Show(QWidget *mainWindow);
    // The open dialog, or null.
    static Keys *Instance();

    QGroupBox *Frame1 = nullptr;
    QLabel *Label1 = nullptr;
    QComboBox *Combo1 = nullptr;
    QLabel *Label2 = nullptr;
    QComboBox *Combo2 = nullptr;
    QLabel *Label3 = nullptr;
    QComboBox *Combo3 = nullptr;
    QLabel *Label4 = nullptr;
    QComboBox *Combo4 = nullptr;
    QPushButton *Command1 = nullptr; // "Set"
    QPushButton *Command2 = nullptr; // "Cancel"
    QPushButton *Command3 = nullptr; // "Default"
    QLabel *Picture1 = nullptr;

    void Command1_Click();
    void Command2_Click();
    void Command3_Click();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    explicit Keys(QWidget *mainWindow);
    void Form_Load();
    void PlaceUnderBar();
    void Form_Unload();

    QPointer<QWidget> m_mainWindow;
};
