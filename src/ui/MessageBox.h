// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <functional>

// Modal message boxes with the classic style numbers: buttons + icon.
namespace MessageStyle {
constexpr int OKOnly = 0;
constexpr int YesNo = 4;
constexpr int Critical = 16;
constexpr int Question = 32;
constexpr int Exclamation = 48;
constexpr int Information = 64;
constexpr int DefaultButton2 = 256;
}

namespace MessageAnswer {
constexpr int OK = 1;
constexpr int Yes = 6;
constexpr int No = 7;
}

// Shows `prompt` in a modal box captioned `title` and waits for the user.
// Returns the button pressed (MessageAnswer).
int ShowMessage(const QString &prompt, int style = MessageStyle::OKOnly,
                const QString &title = QStringLiteral("Murmelvox"));

// Replaces the boxes with a function (tests answer them without a user);
// an empty function restores the real boxes.
using MessageHandler = std::function<int(const QString &prompt, int style, const QString &title)>;
void SetMessageHandler(MessageHandler handler);
