// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/PedalTeachDialog.h"

#include "rules/KeyPedalModels.h"
#include "rules/PedalSettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString LocalRules = QStringLiteral("/etc/udev/rules.d/70-murmelvox-local.rules");

QString PedalName(Pedal pedal)
{
    return pedalLabel(pedal).toLower();
}

} // namespace

PedalTeachDialog::PedalTeachDialog(PedalMonitor &monitor, SettingsStore settings, QWidget *parent)
    : QDialog(parent), m_monitor(monitor), m_settings(settings)
{
    setObjectName(QStringLiteral("PedalTeachDialog"));
    setWindowTitle(QStringLiteral("Teach a foot pedal"));
    setAccessibleName(windowTitle());
    setWindowFlag(Qt::WindowStaysOnTopHint);

    m_deviceBox = new QComboBox(this);
    m_deviceBox->setObjectName(QStringLiteral("teachDevice"));
    m_deviceBox->setAccessibleName(QStringLiteral("Device to teach"));
    m_fourthBox = new QCheckBox(QStringLiteral("It has a fourth pedal"), this);
    m_fourthBox->setObjectName(QStringLiteral("teachFourth"));
    m_fourthBox->setAccessibleName(m_fourthBox->text());

    m_instruction = new QLabel(this);
    m_instruction->setObjectName(QStringLiteral("teachInstruction"));
    m_instruction->setAccessibleName(QStringLiteral("What to do"));
    m_instruction->setTextFormat(Qt::PlainText);
    m_instruction->setWordWrap(true);
    m_udevLine = new QLabel(this);
    m_udevLine->setObjectName(QStringLiteral("udevLine"));
    m_udevLine->setAccessibleName(QStringLiteral("How to let Murmelvox read the device"));
    m_udevLine->setTextFormat(Qt::PlainText);
    m_udevLine->setWordWrap(true);
    m_udevLine->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

    m_startButton = new QPushButton(QStringLiteral("Start"), this);
    m_startButton->setObjectName(QStringLiteral("teachStart"));
    m_startButton->setAccessibleName(QStringLiteral("Start teaching"));
    m_skipButton = new QPushButton(QStringLiteral("No such pedal"), this);
    m_skipButton->setObjectName(QStringLiteral("teachSkip"));
    m_skipButton->setAccessibleName(QStringLiteral("This foot control has no such pedal"));
    m_skipButton->setEnabled(false);
    auto *close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("teachClose"));
    close->setAccessibleName(QStringLiteral("Close"));

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Device:"), m_deviceBox);
    form->addRow(QString(), m_fourthBox);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_startButton);
    buttons->addWidget(m_skipButton);
    buttons->addStretch();
    buttons->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_instruction);
    layout->addWidget(m_udevLine);
    layout->addLayout(buttons);

    connect(m_deviceBox, &QComboBox::currentIndexChanged, this, &PedalTeachDialog::deviceChosen);
    connect(m_startButton, &QPushButton::clicked, this, &PedalTeachDialog::startTeaching);
    connect(m_skipButton, &QPushButton::clicked, this, &PedalTeachDialog::skipPedal);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(&m_monitor, &PedalMonitor::rawCode, this, &PedalTeachDialog::codeChanged);
    connect(&m_monitor, &PedalMonitor::pedalsChanged, this, [this] {
        if (!m_teacher || !m_taught)
            return;
        for (const PedalMonitor::Found &found : m_monitor.pedals()) {
            if (found.node == m_taught->node)
                return;
        }
        stopTeaching(QStringLiteral("The device went away before it was taught."));
    });
    listDevices();
}

PedalTeachDialog::~PedalTeachDialog()
{
    if (m_teacher)
        m_monitor.endTeaching();
}

void PedalTeachDialog::done(int result)
{
    if (m_teacher) {
        m_teacher.reset();
        m_monitor.endTeaching();
    }
    QDialog::done(result);
}

void PedalTeachDialog::listDevices()
{
    m_devices = m_monitor.teachable();
    for (const PedalMonitor::Teachable &device : std::as_const(m_devices)) {
        m_deviceBox->addItem(QStringLiteral("%1 (%2:%3, %4)")
                                 .arg(device.name)
                                 .arg(device.vendor, 4, 16, QLatin1Char('0'))
                                 .arg(device.product, 4, 16, QLatin1Char('0'))
                                 .arg(device.node));
    }
    // The foot controls Murmelvox reads come first to hand.
    for (int i = 0; i < m_devices.size(); ++i) {
        if (findPedalModel(m_devices[i].vendor, m_devices[i].product)) {
            m_deviceBox->setCurrentIndex(i);
            break;
        }
    }
    deviceChosen();
}

void PedalTeachDialog::deviceChosen()
{
    const int index = m_deviceBox->currentIndex();
    if (index < 0 || index >= m_devices.size()) {
        m_startButton->setEnabled(false);
        m_udevLine->hide();
        say(QStringLiteral("No device to teach was found. Plug the foot control in and open this window again."));
        return;
    }
    const PedalMonitor::Teachable &device = m_devices[index];
    m_startButton->setEnabled(device.readable);
    m_udevLine->setVisible(!device.readable);
    m_udevLine->setText(QStringLiteral("Murmelvox may not read this device. As root, add this line to %1, then pull "
                                       "the device out and plug it in again:\n\n%2")
                            .arg(LocalRules, udevRuleLine(device.keys, device.vendor, device.product)));
    m_udevLine->setAccessibleDescription(m_udevLine->text());
    if (device.readable)
        say(QStringLiteral("Press Start, then each pedal in turn when asked."));
    else
        say(QString());
}

void PedalTeachDialog::startTeaching()
{
    const int index = m_deviceBox->currentIndex();
    if (index < 0 || index >= m_devices.size())
        return;
    m_taught = m_devices[index];
    if (!m_monitor.beginTeaching(*m_taught)) {
        say(QStringLiteral("Murmelvox could not read this device."));
        return;
    }
    m_teacher.emplace(m_fourthBox->isChecked() ? PedalCount : PedalCount - 1);
    m_deviceBox->setEnabled(false);
    m_fourthBox->setEnabled(false);
    m_startButton->setEnabled(false);
    m_skipButton->setEnabled(true);
    ask(QString());
}

void PedalTeachDialog::codeChanged(const QString &node, int code, bool down)
{
    // A key pedal's modifiers only ever come with its own key.
    if (m_teacher && m_taught && node == m_taught->node && !(m_taught->keys && isModifierKey(code)))
        follow(m_teacher->codeChanged(code, down));
}

void PedalTeachDialog::skipPedal()
{
    if (!m_teacher)
        return;
    const QString skipped = QStringLiteral("No %1 pedal.").arg(PedalName(*m_teacher->asking()));
    if (m_teacher->skip() == PedalTeacher::Outcome::Done)
        finish();
    else
        ask(skipped);
}

void PedalTeachDialog::follow(PedalTeacher::Outcome outcome)
{
    switch (outcome) {
    case PedalTeacher::Outcome::Waiting:
        break;
    case PedalTeacher::Outcome::Learned:
        ask(QStringLiteral("The %1 pedal is learned.").arg(PedalName(Pedal(int(*m_teacher->asking()) - 1))));
        break;
    case PedalTeacher::Outcome::SameAsBefore:
        ask(QStringLiteral("That was a pedal already learned."));
        break;
    case PedalTeacher::Outcome::Done:
        finish();
        break;
    }
}

void PedalTeachDialog::finish()
{
    TaughtLayout layout{m_taught->vendor, m_taught->product, m_taught->keys, m_teacher->codes()};
    m_teacher.reset();
    const bool saved = SaveTaughtLayout(m_settings, layout);
    QList<TaughtLayout> layouts = LoadTaughtLayouts(m_settings);
    if (!saved) {
        // Read by what was taught until the program ends, all the same.
        layouts.removeIf([&](const TaughtLayout &l) { return l.vendor == layout.vendor && l.product == layout.product; });
        layouts.append(layout);
    }
    m_monitor.endTeaching();
    m_monitor.setTaughtLayouts(layouts);
    stopTeaching(saved ? QStringLiteral("Done: the pedals work as taught.")
                       : QStringLiteral("The pedals work as taught until Murmelvox ends, but the layout could not "
                                        "be saved in %1.")
                             .arg(m_settings.filePath()));
}

void PedalTeachDialog::stopTeaching(const QString &why)
{
    if (m_teacher) {
        m_teacher.reset();
        m_monitor.endTeaching();
    }
    m_deviceBox->setEnabled(true);
    m_fourthBox->setEnabled(true);
    m_startButton->setEnabled(true);
    m_skipButton->setEnabled(false);
    say(why);
}

void PedalTeachDialog::ask(const QString &before)
{
    const QString request = QStringLiteral("Press the %1 pedal and let it go.").arg(PedalName(*m_teacher->asking()));
    say(before.isEmpty() ? request : before + u' ' + request);
}

void PedalTeachDialog::say(const QString &text)
{
    m_instruction->setText(text);
    m_instruction->setAccessibleDescription(text);
}
