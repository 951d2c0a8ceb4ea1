// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/PedalsWindow.h"

#include "pedals/PedalActions.h"
#include "pedals/PedalMonitor.h"
#include "ui/PedalTeachDialog.h"
#include "rules/SettingsStore.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

PedalsWindow::PedalsWindow(PedalMonitor &monitor, PedalActions &actions, SettingsStore settings, QWidget *parent)
    : QWidget(parent, Qt::Window), m_monitor(monitor), m_actions(actions), m_settings(settings)
{
    setObjectName(QStringLiteral("PedalsWindow"));
    setWindowTitle(QStringLiteral("Murmelvox Settings"));
    setAccessibleName(QStringLiteral("Murmelvox Settings"));
    // The bar stays above every window; its settings must not hide behind it.
    setWindowFlag(Qt::WindowStaysOnTopHint);

    auto *found = new QGroupBox(QStringLiteral("Foot pedals found"), this);
    found->setAccessibleName(found->title());
    foundList = new QLabel(found);
    foundList->setObjectName(QStringLiteral("foundList"));
    foundList->setAccessibleName(QStringLiteral("Pedals found"));
    foundList->setTextFormat(Qt::PlainText);
    foundList->setWordWrap(true);
    auto *teach = new QPushButton(QStringLiteral("Teach a pedal…"), found);
    teach->setObjectName(QStringLiteral("teachButton"));
    teach->setAccessibleName(QStringLiteral("Teach a foot pedal its layout"));
    connect(teach, &QPushButton::clicked, this, [this] {
        PedalTeachDialog dialog(m_monitor, m_settings, this);
        dialog.exec();
    });
    auto *foundLayout = new QVBoxLayout(found);
    foundLayout->addWidget(foundList);
    foundLayout->addWidget(teach, 0, Qt::AlignLeft);

    auto *pedals = new QGroupBox(QStringLiteral("Pedals (each lights up while pressed)"), this);
    pedals->setAccessibleName(QStringLiteral("Pedal actions"));
    auto *grid = new QGridLayout(pedals);
    // What is stored, which the pedals follow once start-up has loaded it;
    // a window opened before that must not write defaults over it.
    const PedalSettings stored = LoadPedalSettings(m_settings);
    for (int i = 0; i < PedalCount; ++i) {
        const QString name = pedalLabel(Pedal(i));
        lights[i] = new QLabel(name, pedals);
        lights[i]->setObjectName(QStringLiteral("light") + name);
        lights[i]->setAccessibleName(name + QStringLiteral(" pedal"));
        lights[i]->setAlignment(Qt::AlignCenter);
        lights[i]->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("Middle")) * 2);
        lights[i]->setFrameShape(QFrame::Box);
        lights[i]->setAutoFillBackground(true);
        actionBoxes[i] = new QComboBox(pedals);
        actionBoxes[i]->setObjectName(QStringLiteral("action") + name);
        actionBoxes[i]->setAccessibleName(name + QStringLiteral(" pedal action"));
        for (int a = 0; a < PedalActionCount; ++a)
            actionBoxes[i]->addItem(pedalActionLabel(PedalAction(a)));
        actionBoxes[i]->setCurrentIndex(int(stored.actions[i]));
        grid->addWidget(lights[i], i, 0);
        grid->addWidget(actionBoxes[i], i, 1);
        light(Pedal(i), monitor.isDown(Pedal(i)));
    }

    auto *form = new QFormLayout;
    autoRewindBox = new QDoubleSpinBox(this);
    autoRewindBox->setObjectName(QStringLiteral("autoRewind"));
    autoRewindBox->setAccessibleName(QStringLiteral("Auto-rewind on release, seconds"));
    autoRewindBox->setRange(0, PedalSettings::MaxAutoRewindSeconds);
    autoRewindBox->setDecimals(1);
    autoRewindBox->setSingleStep(0.5);
    autoRewindBox->setSuffix(QStringLiteral(" s"));
    autoRewindBox->setSpecialValueText(QStringLiteral("Off"));
    autoRewindBox->setValue(stored.autoRewindSeconds);
    form->addRow(QStringLiteral("Auto-rewind when play is released:"), autoRewindBox);
    repeatPaceBox = new QSpinBox(this);
    repeatPaceBox->setObjectName(QStringLiteral("repeatPace"));
    repeatPaceBox->setAccessibleName(QStringLiteral("Repeat pace while a wind pedal is held, milliseconds"));
    repeatPaceBox->setRange(PedalSettings::MinRepeatPaceMs, PedalSettings::MaxRepeatPaceMs);
    repeatPaceBox->setSingleStep(50);
    repeatPaceBox->setSuffix(QStringLiteral(" ms"));
    repeatPaceBox->setValue(stored.repeatPaceMs);
    form->addRow(QStringLiteral("Held wind pedal repeats every:"), repeatPaceBox);
    for (int row = 0; row < form->rowCount(); ++row) {
        if (auto *caption = qobject_cast<QLabel *>(form->itemAt(row, QFormLayout::LabelRole)->widget()))
            caption->setAccessibleName(caption->text());
    }

    saveProblem = new QLabel(this);
    saveProblem->setObjectName(QStringLiteral("saveProblem"));
    saveProblem->setAccessibleName(QStringLiteral("Settings not saved"));
    saveProblem->setTextFormat(Qt::PlainText);
    saveProblem->setWordWrap(true);
    saveProblem->hide();

    closeButton = new QPushButton(QStringLiteral("Close"), this);
    closeButton->setObjectName(QStringLiteral("closeButton"));
    closeButton->setAccessibleName(QStringLiteral("Close"));
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(found);
    layout->addWidget(pedals);
    layout->addLayout(form);
    layout->addWidget(saveProblem);
    layout->addWidget(closeButton, 0, Qt::AlignRight);

    showFound();
    connect(&monitor, &PedalMonitor::pedalsChanged, this, &PedalsWindow::showFound);
    connect(&monitor, &PedalMonitor::pedalPressed, this, [this](Pedal p) { light(p, true); });
    connect(&monitor, &PedalMonitor::pedalReleased, this, [this](Pedal p) { light(p, false); });
    for (QComboBox *box : actionBoxes)
        connect(box, &QComboBox::currentIndexChanged, this, &PedalsWindow::apply);
    connect(autoRewindBox, &QDoubleSpinBox::valueChanged, this, &PedalsWindow::apply);
    connect(repeatPaceBox, &QSpinBox::valueChanged, this, &PedalsWindow::apply);
}

bool PedalsWindow::event(QEvent *event)
{
    const bool handled = QWidget::event(event);
    // A line shown or more pedals listed while the window is open: its
    // layout has taken the change; the window must now make room for it.
    if (event->type() == QEvent::LayoutRequest && isVisible())
        growToFit();
    return handled;
}

void PedalsWindow::growToFit()
{
    // Grows only: a window the user made larger stays so.
    QSize fit = size().expandedTo(minimumSizeHint());
    if (layout()->hasHeightForWidth())
        fit.setHeight(qMax(fit.height(), layout()->totalHeightForWidth(fit.width())));
    else
        fit = fit.expandedTo(sizeHint());
    if (fit != size())
        resize(fit);
}

void PedalsWindow::showFound()
{
    QStringList lines;
    for (const PedalMonitor::Found &found : m_monitor.pedals())
        lines << QStringLiteral("%1 (%2)%3")
                     .arg(found.model, found.node,
                          found.needsTeaching ? QStringLiteral(": its layout is not known; teach it below") : QString());
    if (lines.isEmpty()) {
        lines << QStringLiteral("None. Plug one in: it works at once.")
              << QStringLiteral("A foot control Murmelvox does not know can be taught below.");
    }
    foundList->setText(lines.join(u'\n'));
    foundList->setAccessibleDescription(foundList->text());
}

void PedalsWindow::light(Pedal pedal, bool down)
{
    QLabel *lamp = lights[int(pedal)];
    QPalette colours = palette();
    if (down) {
        colours.setColor(QPalette::Window, colours.color(QPalette::Highlight));
        colours.setColor(QPalette::WindowText, colours.color(QPalette::HighlightedText));
    }
    lamp->setPalette(colours);
    lamp->setProperty("pressed", down);
    lamp->setAccessibleDescription(down ? QStringLiteral("pressed") : QStringLiteral("released"));
}

void PedalsWindow::apply()
{
    PedalSettings settings = m_actions.settings();
    for (int i = 0; i < PedalCount; ++i)
        settings.actions[i] = PedalAction(actionBoxes[i]->currentIndex());
    settings.autoRewindSeconds = autoRewindBox->value();
    settings.repeatPaceMs = repeatPaceBox->value();
    m_actions.setSettings(settings);
    const bool saved = SavePedalSettings(m_settings, settings);
    saveProblem->setText(saved ? QString()
                               : QStringLiteral("These settings work now but could not be saved in %1.")
                                     .arg(m_settings.filePath()));
    saveProblem->setVisible(!saved);
}
