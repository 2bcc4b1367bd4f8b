#include "core/bytetext.h"

namespace vreg {

namespace {

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

// The length of the valid UTF-8 sequence at `i` (its code point in
// `codePoint`), or 0 when the bytes there are not one.
int utf8Sequence(const QByteArray &bytes, qsizetype i, char32_t *codePoint)
{
    const auto byte = [&](qsizetype k) { return static_cast<unsigned char>(bytes[k]); };
    const unsigned char lead = byte(i);
    if (lead < 0x80) {
        *codePoint = lead;
        return 1;
    }
    int length = 0;
    unsigned char low = 0x80, high = 0xBF; // allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0; // no overlong forms
        if (lead == 0xED)
            high = 0x9F; // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        if (lead == 0xF4)
            high = 0x8F; // nothing beyond U+10FFFF
    } else {
        return 0;
    }
    if (i + length > bytes.size())
        return 0;
    char32_t value = lead & (0xFF >> (length + 1));
    for (int k = 1; k < length; ++k) {
        const unsigned char next = byte(i + k);
        const unsigned char min = k == 1 ? low : 0x80;
        const unsigned char max = k == 1 ? high : 0xBF;
        if (next < min || next > max)
            return 0;
        value = (value << 6) | (next & 0x3F);
    }
    *codePoint = value;
    return length;
}

bool isControl(char32_t c)
{
    return c < 0x20 || c == 0x7F || (c >= 0x80 && c <= 0x9F);
}

} // namespace

bool bytesFromText(const QString &text, QByteArray *bytes, QString *error)
{
    QByteArray result;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\\')) {
            // Whole characters, surrogate pairs included.
            const qsizetype length = c.isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
            result += text.mid(i, length).toUtf8();
            i += length - 1;
            continue;
        }
        const QChar next = i + 1 < text.size() ? text.at(i + 1) : QChar();
        switch (next.unicode()) {
        case '\\':
            result += '\\';
            break;
        case 'r':
            result += '\r';
            break;
        case 'n':
            result += '\n';
            break;
        case 't':
            result += '\t';
            break;
        case 'x': {
            const int high = i + 2 < text.size() ? hexDigit(text.at(i + 2)) : -1;
            const int low = i + 3 < text.size() ? hexDigit(text.at(i + 3)) : -1;
            if (high < 0 || low < 0) {
                *error = QStringLiteral("позиция %1: после \\x ожидаются две шестнадцатеричные цифры").arg(i + 1);
                return false;
            }
            result += char(high * 16 + low);
            i += 2;
            break;
        }
        default:
            *error = QStringLiteral("позиция %1: неизвестная escape-последовательность; допустимы \\\\, \\r, \\n, "
                                    "\\t и \\xNN")
                         .arg(i + 1);
            return false;
        }
        ++i;
    }
    *bytes = result;
    return true;
}

QString textFromBytes(const QByteArray &bytes)
{
    QString text;
    for (qsizetype i = 0; i < bytes.size();) {
        char32_t c = 0;
        const int length = utf8Sequence(bytes, i, &c);
        if (length > 0 && c == U'\\') {
            text += QStringLiteral("\\\\");
        } else if (length > 0 && c == U'\r') {
            text += QStringLiteral("\\r");
        } else if (length > 0 && c == U'\n') {
            text += QStringLiteral("\\n");
        } else if (length > 0 && c == U'\t') {
            text += QStringLiteral("\\t");
        } else if (length > 0 && !isControl(c)) {
            text += QString::fromUcs4(&c, 1);
        } else {
            // One byte at a time: the rest may still be valid text.
            text += QStringLiteral("\\x")
                + QStringLiteral("%1").arg(static_cast<unsigned char>(bytes[i]), 2, 16, QLatin1Char('0')).toUpper();
            i += 1;
            continue;
        }
        i += length;
    }
    return text;
}

} // namespace vreg
