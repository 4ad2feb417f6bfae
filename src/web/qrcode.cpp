#include "web/qrcode.h"

#include <qrencode.h>

namespace live {

QrCode qrCode(const QString& text)
{
    QrCode code;
    const QByteArray utf8 = text.toUtf8();
    QRcode* made = QRcode_encodeString8bit(utf8.constData(), 0, QR_ECLEVEL_M);
    if (!made)
        return code;
    code.size = made->width;
    code.dark.resize(qsizetype(made->width) * made->width);
    // Bit 0 of each byte: the module is dark.
    for (qsizetype i = 0; i < code.dark.size(); ++i)
        code.dark[i] = (made->data[i] & 1) != 0;
    QRcode_free(made);
    return code;
}

} // namespace live
