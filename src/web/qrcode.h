#pragma once

// The QR code of a text (the address of the live results), drawn by
// libqrencode: a square of dark and light modules that the window paints.

#include <QList>
#include <QString>

namespace live {

struct QrCode {
    int size = 0;           // modules per side; 0: the text could not be encoded
    QList<bool> dark;       // size * size, row by row
    bool isDark(int x, int y) const { return dark.at(y * size + x); }
};

// Medium error correction, so that a printed code still reads when worn.
QrCode qrCode(const QString& text);

} // namespace live
