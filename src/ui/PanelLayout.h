// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the bar's areas lay their controls out with: twips, the layout's
// fonts and colours, and labels that show the panel around their text.

#include "ui/Controls.h"

#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QPalette>
#include <QString>
#include <QWidget>

// Fonts of the layout. The faces the bar was designed with are replaced by
// their metric twins from fonts-liberation, so texts fit their boxes.
inline QFont LayoutFont(const QString &family, qreal points)
{
    QFont font(family);
    font.setPointSizeF(points);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    font.setUnderline(false);
    return font;
}

inline const QString SansSerif = QStringLiteral("Liberation Sans");      // "Microsoft Sans Serif"
inline const QString Narrow = QStringLiteral("Liberation Sans Narrow");  // "Arial Narrow"

inline void PlaceTwips(QWidget *w, int left, int top, int width, int height)
{
    w->setGeometry(Px(left), Px(top), Px(width), Px(height));
}

inline void SetColour(QWidget *w, QPalette::ColorRole role, const QColor &colour)
{
    QPalette pal = w->palette();
    pal.setColor(role, colour);
    w->setPalette(pal);
}

// Labels show their container around the text and sit behind its windowed
// controls, with the text at the top left as laid out.
template <typename LabelT>
LabelT *TransparentLabel(QWidget *parent, const QString &text)
{
    auto *label = new LabelT(text, parent);
    label->setAutoFillBackground(false);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setTextFormat(Qt::PlainText);
    return label;
}

// A caption on the panel, in the panel's caption colour.
inline QLabel *PanelCaption(QWidget *panel, const char *name, const QString &text, int l, int t, int w, int h)
{
    QLabel *label = TransparentLabel<QLabel>(panel, text);
    label->setObjectName(QLatin1String(name));
    label->setFont(LayoutFont(Narrow, 8.25));
    SetColour(label, QPalette::WindowText, panel->palette().color(QPalette::HighlightedText));
    PlaceTwips(label, l, t, w, h);
    return label;
}

// A frame without border or caption, filled with its background colour.
inline QFrame *PlainFrame(QWidget *parent, const QColor &background)
{
    auto *frame = new QFrame(parent);
    frame->setFrameShape(QFrame::NoFrame);
    frame->setAutoFillBackground(true);
    SetColour(frame, QPalette::Window, background);
    return frame;
}

// One of the strip's picture buttons, at its place in its frame.
inline ImageButton *StripButton(QWidget *frame, const char *name, const char *role, ButtonImage image, int left, int top)
{
    auto *button = new ImageButton(frame);
    button->setObjectName(QLatin1String(name));
    button->setAccessibleName(QLatin1String(role));
    button->setImage(image);
    button->move(Px(left), Px(top));
    return button;
}
