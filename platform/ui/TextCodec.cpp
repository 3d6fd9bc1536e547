#include "platform/ui/TextCodec.h"

#include <iconv.h>

#include <cerrno>
#include <mutex>

namespace ui {

namespace {

constexpr const char* kReplacement = "\xEF\xBF\xBD"; // U+FFFD

std::string IconvName(int codePage) {
    return codePage == TextCodec::kUtf8 ? "UTF-8" : "CP" + std::to_string(codePage);
}

bool IsDoubleByte(int codePage) {
    return codePage == 932 || codePage == 936 || codePage == 949 || codePage == 950 || codePage == 1361;
}

// One conversion through iconv; false on a character the target cannot hold or input that is no text of the
// source. A converter is not for two threads at once: each call has its own.
bool Convert(const std::string& from, const std::string& to, std::string_view input, std::string& out) {
    out.clear();
    iconv_t cd = iconv_open(to.c_str(), from.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    std::string buffer(input.size() * 4 + 16, '\0');
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    char* outPtr = buffer.data();
    std::size_t outLeft = buffer.size();
    bool ok = iconv(cd, &in, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1) &&
              iconv(cd, nullptr, nullptr, &outPtr, &outLeft) != static_cast<std::size_t>(-1);
    iconv_close(cd);
    if (!ok)
        return false;
    out.assign(buffer.data(), buffer.size() - outLeft);
    return true;
}

// Well-formed UTF-8 as it is; every byte that does not begin a whole sequence becomes U+FFFD.
std::string CleanUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        auto byte = static_cast<unsigned char>(text[i]);
        std::size_t length = byte < 0x80 ? 1 : (byte >> 5) == 6 ? 2 : (byte >> 4) == 14 ? 3 : (byte >> 3) == 30 ? 4 : 0;
        bool whole = length > 0 && i + length <= text.size();
        for (std::size_t k = 1; whole && k < length; ++k)
            whole = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
        if (whole) {
            out.append(text.substr(i, length));
            i += length;
        } else {
            out += kReplacement;
            ++i;
        }
    }
    return out;
}

std::mutex& DoubleByteMutex() {
    static auto* s_mutex = new std::mutex();
    return *s_mutex;
}

} // namespace

TextCodec& TextCodec::Instance() {
    static auto* s_codec = new TextCodec();
    return *s_codec;
}

TextCodec::TextCodec() {
    [[maybe_unused]] bool known = SetCodePage(1252);
}

bool TextCodec::SetCodePage(int codePage) {
    if (codePage == kUtf8 || IsDoubleByte(codePage)) {
        std::string probe;
        if (codePage != kUtf8 && !Convert(IconvName(codePage), "UTF-8", "A", probe))
            return false;
        m_codePage = codePage;
        m_singleByte = false;
        return true;
    }
    std::string upper[128];
    std::string converted;
    if (!Convert(IconvName(codePage), "UTF-8", "A", converted))
        return false;
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
        char one = static_cast<char>(byte);
        upper[byte - 0x80] = Convert(IconvName(codePage), "UTF-8", std::string_view(&one, 1), converted) &&
                                     !converted.empty()
                                 ? converted
                                 : std::string(kReplacement);
    }
    for (int i = 0; i < 128; ++i)
        m_upper[i] = std::move(upper[i]);
    m_codePage = codePage;
    m_singleByte = true;
    return true;
}

std::string TextCodec::ToUtf8(std::string_view text) const {
    bool plain = true;
    for (char c : text)
        plain = plain && static_cast<unsigned char>(c) < 0x80;
    if (plain)
        return std::string(text);
    if (m_codePage == kUtf8)
        return CleanUtf8(text);
    if (m_singleByte) {
        std::string out;
        out.reserve(text.size() * 2);
        for (char c : text) {
            auto byte = static_cast<unsigned char>(c);
            if (byte < 0x80)
                out += c;
            else
                out += m_upper[byte - 0x80];
        }
        return out;
    }
    std::lock_guard<std::mutex> hold(DoubleByteMutex());
    std::string out;
    if (Convert(IconvName(m_codePage), "UTF-8", text, out))
        return out;
    // Broken double-byte text (a lead byte typed, its trail still to come): each character that converts, and
    // a replacement for each one that does not.
    out.clear();
    std::string one;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t length = CharacterLength(text, i);
        out += Convert(IconvName(m_codePage), "UTF-8", text.substr(i, length), one) ? one : kReplacement;
        i += length;
    }
    return out;
}

bool TextCodec::IsLeadByte(unsigned char byte) const {
    if (m_singleByte || m_codePage == kUtf8 || byte < 0x81 || byte == 0xFF)
        return false;
    // Shift-JIS leaves 0xA0-0xDF to single half-width katakana.
    return m_codePage != 932 || byte <= 0x9F || (byte >= 0xE0 && byte <= 0xFC);
}

std::size_t TextCodec::CharacterLength(std::string_view text, std::size_t at) const {
    if (at >= text.size())
        return 0;
    auto byte = static_cast<unsigned char>(text[at]);
    std::size_t length = 1;
    if (m_codePage == kUtf8 && byte >= 0xC0) {
        length = (byte >> 5) == 6 ? 2 : (byte >> 4) == 14 ? 3 : (byte >> 3) == 30 ? 4 : 1;
        for (std::size_t k = 1; k < length; ++k) {
            if (at + k >= text.size() || (static_cast<unsigned char>(text[at + k]) & 0xC0) != 0x80)
                return 1;
        }
    } else if (IsLeadByte(byte) && at + 1 < text.size() && static_cast<unsigned char>(text[at + 1]) >= 0x40) {
        length = 2;
    }
    return length;
}

std::size_t TextCodec::PreviousBoundary(std::string_view text, std::size_t at) const {
    // A trail byte may look like a lead byte: characters are told apart only from the start.
    std::size_t previous = 0;
    for (std::size_t i = 0; i < at && i < text.size(); i += CharacterLength(text, i))
        previous = i;
    return std::min(previous, at);
}

std::size_t TextCodec::NextBoundary(std::string_view text, std::size_t at) const {
    std::size_t i = 0;
    while (i <= at && i < text.size())
        i += CharacterLength(text, i);
    return std::min(std::max(i, at), text.size());
}

bool TextCodec::FromUtf8(std::string_view utf8, std::string& out) const {
    if (m_codePage == kUtf8) {
        out = CleanUtf8(utf8);
        return out == utf8;
    }
    if (!Convert("UTF-8", IconvName(m_codePage), utf8, out)) {
        out.clear();
        return false;
    }
    return true;
}

} // namespace ui
