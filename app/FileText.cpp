#include "app/FileText.h"

#include <QStringDecoder>
#include <optional>
#include <string>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace pellum {
namespace {

bool isCp932Lead(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Length of the UTF-8 sequence a byte starts; 0 for a byte that starts none.
std::size_t utf8Length(unsigned char c) {
    if (c < 0x80) return 1;
    if (c >= 0xC2 && c <= 0xDF) return 2;
    if (c >= 0xE0 && c <= 0xEF) return 3;
    if (c >= 0xF0 && c <= 0xF4) return 4;
    return 0;
}

std::string_view withoutCutUtf8(std::string_view bytes) {
    const std::size_t back = bytes.size() < 3 ? bytes.size() : 3;
    for (std::size_t k = 1; k <= back; ++k) {
        const std::size_t at = bytes.size() - k;
        const auto c = static_cast<unsigned char>(bytes[at]);
        if ((c & 0xC0) == 0x80) continue;  // a continuation byte: look further back
        if (utf8Length(c) > k) return bytes.substr(0, at);
        break;
    }
    return bytes;
}

bool hasNonAscii(std::string_view bytes) {
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80) return true;
    }
    return false;
}

std::optional<QString> strictUtf8(std::string_view bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (utf8.hasError()) return std::nullopt;
    return text;
}

#if defined(_WIN32)
// Qt without ICU knows no CP932, but Windows always does.
QString cp932WithoutTables(std::string_view bytes) {
    const int size = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(932, 0, bytes.data(), size, nullptr, 0);
    if (length <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(932, 0, bytes.data(), size, wide.data(), length);
    return QString::fromWCharArray(wide.data(), length);
}
#else
// Without ICU Qt knows no CP932: single bytes still read right (ASCII and half-width katakana),
// a double-byte character shows as a replacement character.
QString cp932WithoutTables(std::string_view bytes) {
    QString text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) {
            text += QChar(c);
        } else if (c >= 0xA1 && c <= 0xDF) {
            text += QChar(0xFF61 + (c - 0xA1));
        } else {
            if (isCp932Lead(c)) ++i;
            text += QChar(QChar::ReplacementCharacter);
        }
    }
    return text;
}
#endif

QString cp932(std::string_view bytes) {
    // A lead byte whose partner the cut took is left off.
    std::size_t i = 0;
    while (i < bytes.size()) i += isCp932Lead(static_cast<unsigned char>(bytes[i])) ? 2 : 1;
    if (i > bytes.size()) bytes.remove_suffix(1);

    QStringDecoder decoder("cp932", QStringDecoder::Flag::Stateless);
    if (!decoder.isValid()) return cp932WithoutTables(bytes);
    return decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

}  // namespace

QString fileText(std::string_view bytes) {
    if (auto text = strictUtf8(bytes)) return *text;
    // UTF-8 cut inside its last character; the kept part must show UTF-8 of its own, since an
    // ASCII text ending in a CP932 pair would pass for cut UTF-8 just as well.
    const std::string_view kept = withoutCutUtf8(bytes);
    if (kept.size() < bytes.size() && hasNonAscii(kept)) {
        if (auto text = strictUtf8(kept)) return *text;
    }
    return cp932(bytes);
}

std::string fileNameUtf8(const QString& name) {
    return name.toStdString();
}

}  // namespace pellum
