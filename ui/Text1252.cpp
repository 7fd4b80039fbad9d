#include "ui/Text1252.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace quorvex {

QString FromWin1252(const std::string& text) {
    QStringDecoder decoder("windows-1252");
    return decoder.decode(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
}

std::string ToWin1252(const QString& text) {
    QStringEncoder encoder("windows-1252");
    const QByteArray bytes = encoder.encode(text);
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

bool FitsWin1252(const QString& text) {
    // The encoder substitutes what the code page lacks without flagging an
    // error, so only the round trip tells.
    return FromWin1252(ToWin1252(text)) == text;
}

}  // namespace quorvex
