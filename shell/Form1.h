#pragma once

#include "shell/Controls.h"

#include <QWidget>
#include <memory>

class QComboBox;
class QFrame;
class QLabel;
class QMimeData;
class QPropertyAnimation;
class QPushButton;
class QTimer;
class MediaPlayerControl;
class Player;
class HotKeys;
struct TransportLook;

// The bar: a borderless strip at the top of the screen with a lower panel
// that slides out beneath it. The constructor lays out every control; the
// handlers live with the subsystem they belong to (transport, opening,
// position display, pitch, wind count, bookmarks, keys, help).
class Form1 : public QWidget
{
    Q_OBJECT
public:
    explicit Form1(QWidget *parent = nullptr);
    ~Form1() override;

    // Top strip
    QFrame *Frame1 = nullptr;
    QFrame *Frame2 = nullptr;
    PictureBox *Picture1 = nullptr; // play
    PictureBox *Picture2 = nullptr; // pause
    PictureBox *Picture3 = nullptr; // stop
    PictureBox *Picture4 = nullptr; // exit
    PictureBox *Picture5 = nullptr; // open
    PictureBox *Picture6 = nullptr; // expand/collapse
    MediaPlayerControl *MP = nullptr;
    QLabel *Label1 = nullptr;       // file name
    ClickLabel *Label2 = nullptr;   // time
    QWidget *Line1 = nullptr;

    // Lower panel
    PictureBox *Picture7 = nullptr;
    QLabel *Label7 = nullptr;       // "Current Position:"
    QLabel *Label8 = nullptr;       // position in seconds
    QLabel *Label3 = nullptr;       // pitch caption
    ClickLabel *Label4 = nullptr;   // pitch down
    TrackSlider *Picture8 = nullptr; // pitch track
    ClickLabel *Label5 = nullptr;   // pitch up
    QLabel *Label9 = nullptr;       // wind count caption
    TrackSlider *Picture9 = nullptr; // wind count track
    QLabel *Label6 = nullptr;       // "Bookmark"
    QComboBox *Combo1 = nullptr;    // bookmarks
    QPushButton *Command1 = nullptr; // bookmark Set
    QPushButton *Command2 = nullptr; // bookmark Clear
    QPushButton *Command3 = nullptr; // bookmark Clear All
    QPushButton *Command4 = nullptr; // Keys
    QPushButton *Command5 = nullptr; // Help
    QLabel *Label10 = nullptr;      // maker's tooltip
    QWidget *Line2 = nullptr;
    QWidget *Line3 = nullptr;

    // The commands every input acts through, and the hot-key rules on them.
    Player *player = nullptr;
    HotKeys *hotKeys = nullptr;

    QTimer *Timer1 = nullptr;
    std::unique_ptr<CommonDialog> CD;
    ImageList ImageList1;

    // True once the panel has slid all the way out, until it has slid all
    // the way back in.
    bool Expanded = false;

    // Shows ImageList1 image `imageIndex` (1-based) on a picture button.
    void ShowImage(PictureBox *box, int imageIndex);
    // Shows a look on Play, Pause and Stop.
    void showTransportLook(const TransportLook &look);

    // Window load handler (start-up steps L1 to L7). Main runs it right
    // after constructing the window; tests may construct without it.
    void Form_Load();

    // Shell
    void Picture4_Click();
    void Picture6_Click();

    // Transport
    void Picture1_Click();
    void Picture2_Click();
    void Picture3_Click();
    void Picture1_MouseDown(int Button, int Shift, float X, float Y);
    void Picture1_MouseUp(int Button, int Shift, float X, float Y);
    void Picture2_MouseDown(int Button, int Shift, float X, float Y);
    void Picture2_MouseUp(int Button, int Shift, float X, float Y);
    void Picture3_MouseDown(int Button, int Shift, float X, float Y);
    void Picture3_MouseUp(int Button, int Shift, float X, float Y);
    void Picture4_MouseDown(int Button, int Shift, float X, float Y);
    void Picture4_MouseUp(int Button, int Shift, float X, float Y);
    void Picture5_MouseDown(int Button, int Shift, float X, float Y);
    void Picture5_MouseUp(int Button, int Shift, float X, float Y);
    void Picture6_MouseDown(int Button, int Shift, float X, float Y);
    void Picture6_MouseUp(int Button, int Shift, float X, float Y);

    // Opening
    void Picture5_Click();
    void Picture7_OLEDragDrop(const QMimeData *Data);
    void showOpenedFile(const QString &path, bool opened);

    // Position display
    void Timer1_Timer();
    void Label2_DblClick();

    // Pitch
    void Label4_Click();
    void Label5_Click();
    void Picture8_MouseDown(int Button, int Shift, float X, float Y);
    void Picture8_MouseMove(int Button, int Shift, float X, float Y);
    void Picture8_DblClick();

    // Wind count
    void Picture9_MouseDown(int Button, int Shift, float X, float Y);
    void Picture9_MouseMove(int Button, int Shift, float X, float Y);
    void Picture9_DblClick();

    // Bookmarks
    void Combo1_Click();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();

    // Dialogs
    void Command4_Click();
    void Command5_Click();

    void showRate(double rate);

private:
    void setRateFromPanel(double rate);
    bool m_rateFromPanel = false;

    void layOutStrip();
    void layOutPanel();
    void connectHandlers();
    void panelMotionEnded();

    // The window's height sliding between collapsed and expanded.
    QPropertyAnimation *m_panelMotion = nullptr;
    bool m_clickedWhileCollapsing = false;
};
