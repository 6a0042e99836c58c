// Drawing of the button face from its properties and its state: the frame of the style,
// the face colour and picture of the state, the caption with its 3D lettering, and the
// focus marks. No widget here, so the drawing can be checked on an image.
#pragma once

#include "model/ButtonProperties.h"

#include <QFont>
#include <QImage>
#include <QPalette>
#include <QRect>
#include <QString>

class QPainter;

namespace plinth {

struct FaceState {
    bool pressed = false; // held down by the mouse, Space or the virtual key
    bool on = false;      // a toggle in its on state
    bool enabled = true;
    bool focused = false;
    bool hot = false; // the mouse over it, where the button reacts to that
    bool designMode = false;
};

struct FaceInput {
    const ButtonProperties* props = nullptr;
    QString caption;
    QFont font;
    QPalette palette;
    QColor containerBackground; // what shows outside the face when Thru is off
    FaceState state;
};

// Widths of the frame of a style, outline included.
int frameWidth(const ButtonProperties& p);
// The caption font: the stock font at CaptionSize points when that is set.
QFont captionFont(const ButtonProperties& p, const QFont& font);
// Which picture a state shows (may be null).
const QImage& pictureForState(const ButtonProperties& p, const FaceState& state);

void paintFace(QPainter& painter, const QRect& rect, const FaceInput& in);

// The size the face needs for its caption and picture.
QSize faceSizeHint(const ButtonProperties& p, const QString& caption, const QFont& font);

} // namespace plinth
