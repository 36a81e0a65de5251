#include "platform/TextCodec.h"

#include <iconv.h>
#include <QStringDecoder>
#include <cerrno>
#include <memory>

namespace textcodec {
namespace {

// The first byte of a double-byte CP932 character.
constexpr bool isCp932Lead(unsigned char byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

struct IconvCloser
{
    void operator()(void* cd) const { iconv_close(static_cast<iconv_t>(cd)); }
};
using Iconv = std::unique_ptr<void, IconvCloser>;

Iconv openIconv(const char* to, const char* from)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return nullptr;
    }
    return Iconv(cd);
}

// Converts as much as possible; a byte sequence the source charset rejects is
// passed to `onInvalid`, which appends a replacement, and conversion goes on after
// `skip` input bytes.
template <typename OnInvalid>
QByteArray convert(const char* to, const char* from, QByteArrayView input, OnInvalid onInvalid)
{
    QByteArray out;
    Iconv cd = openIconv(to, from);
    if (!cd) {
        return out;
    }
    out.reserve(input.size() * 2 + 16);
    char* in = const_cast<char*>(input.data());
    size_t inLeft = static_cast<size_t>(input.size());
    char buffer[1024];
    while (inLeft > 0) {
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        const size_t result =
            iconv(static_cast<iconv_t>(cd.get()), &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, static_cast<qsizetype>(outPtr - buffer));
        if (result == static_cast<size_t>(-1)) {
            if (errno == E2BIG) {
                continue;
            }
            // EILSEQ or EINVAL (a sequence cut at the end): replace and step over it.
            const size_t skip = onInvalid(out, in, inLeft);
            in += skip;
            inLeft -= skip;
            iconv(static_cast<iconv_t>(cd.get()), nullptr, nullptr, nullptr, nullptr);
        }
    }
    return out;
}

}  // namespace

QString fromCp932(QByteArrayView bytes)
{
    const QByteArray utf8 =
        convert("UTF-8", "CP932", bytes, [](QByteArray& out, const char* in, size_t left) {
            out.append("\xEF\xBF\xBD");  // U+FFFD
            // A lead byte followed by a byte that cannot trail it stands alone.
            const auto lead = static_cast<unsigned char>(in[0]);
            if (isCp932Lead(lead) && left >= 2) {
                const auto trail = static_cast<unsigned char>(in[1]);
                const bool isTrail = trail >= 0x40 && trail <= 0xFC && trail != 0x7F;
                return size_t{isTrail ? 2u : 1u};
            }
            return size_t{1};
        });
    return QString::fromUtf8(utf8);
}

QByteArray toCp932(QStringView text)
{
    const QByteArray utf8 = text.toUtf8();
    return convert("CP932", "UTF-8", utf8, [](QByteArray& out, const char* in, size_t left) {
        out.append('?');
        // Step over the whole UTF-8 sequence of the character that has no CP932 form.
        const auto first = static_cast<unsigned char>(in[0]);
        size_t length = first < 0x80 ? 1 : first < 0xE0 ? 2 : first < 0xF0 ? 3 : 4;
        return length <= left ? length : left;
    });
}

QString cp932Prefix(QStringView text, qsizetype byteCount)
{
    // Every character becomes one or two bytes ('?' when CP932 cannot hold it), so
    // walking the encoded bytes by their lead bytes follows the characters one by one.
    const QByteArray bytes = toCp932(text);
    qsizetype used = 0;
    qsizetype units = 0;
    while (units < text.size() && used < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[used]);
        const qsizetype length = isCp932Lead(lead) ? 2 : 1;
        if (used + length > byteCount || used + length > bytes.size()) {
            break;
        }
        used += length;
        units += text[units].isHighSurrogate() && units + 1 < text.size() ? 2 : 1;
    }
    return text.first(units).toString();
}

bool isValidUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    return !decoder.hasError();
}

QString decodeUtf8OrCp932(QByteArrayView bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        bytes = bytes.sliced(3);
    }
    if (isValidUtf8(bytes)) {
        return QString::fromUtf8(bytes);
    }
    return fromCp932(bytes);
}

}  // namespace textcodec
