#include "playcore/CharsetEncoder.h"

#include <cctype>
#include <cerrno>
#include <iconv.h>
#include <langinfo.h>
#include <locale.h>
#include <mutex>

namespace playcore {

namespace {

std::string Normalised(std::string_view name) {
    std::string n;
    for (char c : name) {
        if (c != '-' && c != '_') {
            n += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
    }
    return n;
}

bool IsUtf8(std::string_view name) {
    return Normalised(name) == "UTF8";
}

bool IsAscii(std::string_view name) {
    const std::string n = Normalised(name);
    return n == "ANSIX3.41968" || n == "ASCII" || n == "USASCII" || n == "646";
}

// Length of the UTF-8 sequence starting with `lead` (1 for a stray byte).
std::size_t SequenceLength(unsigned char lead) {
    if (lead >= 0xF0 && lead <= 0xF4) {
        return 4;
    }
    if (lead >= 0xE0) {
        return lead <= 0xEF ? 3 : 1;
    }
    if (lead >= 0xC2) {
        return 2;
    }
    return 1;
}

} // namespace

struct CharsetEncoder::Impl {
    iconv_t cd = reinterpret_cast<iconv_t>(-1);
    std::mutex mutex; // iconv descriptors keep state between calls
};

std::string CharsetEncoder::LocaleCodeset() {
    locale_t loc = ::newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(nullptr));
    std::string codeset;
    if (loc != static_cast<locale_t>(nullptr)) {
        codeset = ::nl_langinfo_l(CODESET, loc);
        ::freelocale(loc);
    } else {
        // The environment names a locale that is not installed; the C library
        // would run in the "C" locale then.
        codeset = ::nl_langinfo(CODESET);
    }
    return codeset;
}

CharsetEncoder::CharsetEncoder(std::string charset) : impl_(std::make_unique<Impl>()) {
    if (charset.empty()) {
        charset = LocaleCodeset();
    }
    if (charset.empty() || IsAscii(charset) || IsUtf8(charset)) {
        charset_ = "UTF-8";
        return;
    }
    charset_ = charset;
    impl_->cd = ::iconv_open(charset_.c_str(), "UTF-8");
}

CharsetEncoder::~CharsetEncoder() {
    if (impl_->cd != reinterpret_cast<iconv_t>(-1)) {
        ::iconv_close(impl_->cd);
    }
}

bool CharsetEncoder::ok() const {
    return charset_ == "UTF-8" || impl_->cd != reinterpret_cast<iconv_t>(-1);
}

bool CharsetEncoder::Encode(std::string_view utf8, std::string* out) const {
    out->clear();
    if (charset_ == "UTF-8") {
        // Pass valid text through; replace what is not UTF-8.
        std::size_t i = 0;
        while (i < utf8.size()) {
            const auto lead = static_cast<unsigned char>(utf8[i]);
            const std::size_t len = SequenceLength(lead);
            bool valid = (lead < 0x80) || (len > 1 && i + len <= utf8.size());
            for (std::size_t k = 1; valid && k < len; ++k) {
                valid = (static_cast<unsigned char>(utf8[i + k]) & 0xC0) == 0x80;
            }
            if (valid) {
                out->append(utf8.substr(i, len));
                i += len;
            } else {
                out->push_back('?');
                ++i;
            }
        }
        return true;
    }
    if (impl_->cd == reinterpret_cast<iconv_t>(-1)) {
        return false;
    }
    std::lock_guard<std::mutex> lock(impl_->mutex);
    ::iconv(impl_->cd, nullptr, nullptr, nullptr, nullptr);
    std::string input(utf8);
    char* in = input.data();
    std::size_t inLeft = input.size();
    char buf[1024];
    while (inLeft > 0) {
        char* o = buf;
        std::size_t outLeft = sizeof buf;
        const std::size_t r = ::iconv(impl_->cd, &in, &inLeft, &o, &outLeft);
        out->append(buf, sizeof buf - outLeft);
        if (r != static_cast<std::size_t>(-1)) {
            continue;
        }
        if (errno == E2BIG) {
            continue;
        }
        if (errno == EILSEQ || errno == EINVAL) {
            // Not representable, or not valid UTF-8: one '?' for the whole
            // input character.
            std::size_t skip = SequenceLength(static_cast<unsigned char>(*in));
            for (std::size_t k = 1; k < skip; ++k) {
                if (k >= inLeft || (static_cast<unsigned char>(in[k]) & 0xC0) != 0x80) {
                    skip = 1; // a broken sequence: drop only its first byte
                    break;
                }
            }
            in += skip;
            inLeft -= skip;
            char q[8];
            char qIn[] = "?";
            char* qp = qIn;
            std::size_t qLeft = 1;
            char* qo = q;
            std::size_t qOut = sizeof q;
            ::iconv(impl_->cd, &qp, &qLeft, &qo, &qOut);
            out->append(q, sizeof q - qOut);
            continue;
        }
        return false;
    }
    // Return to the initial shift state (stateful sets such as ISO-2022-JP).
    char* o = buf;
    std::size_t outLeft = sizeof buf;
    ::iconv(impl_->cd, nullptr, nullptr, &o, &outLeft);
    out->append(buf, sizeof buf - outLeft);
    return true;
}

} // namespace playcore
