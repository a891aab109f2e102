#include <cstdarg>
#include <cstddef>
#include <string>
#include <string_view>

#include "platform/version/version.h"

namespace {

// Output limit of the Windows call, terminator included.
constexpr std::size_t kMaxOutput = 1024;

struct Field {
  bool left = false;
  bool zero = false;
  bool alternate = false;
  std::size_t width = 0;
  bool hasPrecision = false;
  std::size_t precision = 0;
};

void Pad(std::u16string& out, std::u16string_view body, const Field& field, bool numeric,
         std::u16string_view prefix = {}) {
  const std::size_t len = prefix.size() + body.size();
  const std::size_t fill = field.width > len ? field.width - len : 0;
  if (field.left) {
    out.append(prefix).append(body).append(fill, u' ');
  } else if (field.zero && numeric) {
    out.append(prefix).append(fill, u'0').append(body);
  } else {
    out.append(fill, u' ').append(prefix).append(body);
  }
}

std::u16string Digits(unsigned long long v, unsigned base, bool upper) {
  const char* digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
  std::u16string s;
  do {
    s.insert(s.begin(), static_cast<char16_t>(digits[v % base]));
    v /= base;
  } while (v != 0);
  return s;
}

void Number(std::u16string& out, const Field& field, char conv, va_list& args, bool half) {
  std::u16string_view prefix;
  std::u16string body;
  if (conv == 'd' || conv == 'i') {
    long long v = va_arg(args, int);
    if (half) v = static_cast<SHORT>(v);
    const unsigned long long magnitude =
        v < 0 ? 0ULL - static_cast<unsigned long long>(v) : static_cast<unsigned long long>(v);
    if (v < 0) prefix = u"-";
    body = Digits(magnitude, 10, false);
  } else {
    unsigned long long v = va_arg(args, unsigned int);
    if (half) v = static_cast<WORD>(v);
    const bool hex = conv == 'x' || conv == 'X';
    body = Digits(v, hex ? 16 : 10, conv == 'X');
    if (hex && field.alternate && v != 0) prefix = conv == 'X' ? u"0X" : u"0x";
  }
  if (field.hasPrecision && body.size() < field.precision) {
    body.insert(body.begin(), field.precision - body.size(), u'0');
  }
  Pad(out, body, field, !field.hasPrecision, prefix);
}

}  // namespace

int wsprintfW(LPWSTR out, LPCWSTR format, ...) {
  if (out == nullptr) return 0;
  std::u16string text;
  va_list args;
  va_start(args, format);
  for (const WCHAR* f = format != nullptr ? format : u""; *f != 0; ++f) {
    if (*f != u'%') {
      text.push_back(*f);
      continue;
    }
    ++f;
    if (*f == u'%') {
      text.push_back(u'%');
      continue;
    }
    Field field;
    for (;; ++f) {
      if (*f == u'-') {
        field.left = true;
      } else if (*f == u'0') {
        field.zero = true;
      } else if (*f == u'#') {
        field.alternate = true;
      } else {
        break;
      }
    }
    while (*f >= u'0' && *f <= u'9') field.width = field.width * 10 + (*f++ - u'0');
    if (*f == u'.') {
      field.hasPrecision = true;
      ++f;
      while (*f >= u'0' && *f <= u'9') field.precision = field.precision * 10 + (*f++ - u'0');
    }
    bool narrow = false;
    bool half = false;
    if (*f == u'l') {
      ++f;  // LONG and int have the same width here
    } else if (*f == u'h') {
      narrow = true;
      half = true;
      ++f;
    }
    const char16_t conv = *f;
    if (conv == 0) break;  // a lone '%' at the end writes nothing
    switch (conv) {
      case u's':
      case u'S': {
        std::u16string s;
        if (narrow || conv == u'S') {
          const char* p = va_arg(args, const char*);
          for (const char* c = p != nullptr ? p : "(null)"; *c != 0; ++c) {
            s.push_back(static_cast<unsigned char>(*c));
          }
        } else {
          const WCHAR* p = va_arg(args, const WCHAR*);
          s = p != nullptr ? p : u"(null)";
        }
        if (field.hasPrecision && s.size() > field.precision) s.resize(field.precision);
        Pad(text, s, field, false);
        break;
      }
      case u'c':
      case u'C': {
        const int c = va_arg(args, int);
        const char16_t ch =
            (narrow || conv == u'C') ? static_cast<unsigned char>(c) : static_cast<char16_t>(c);
        Pad(text, std::u16string_view(&ch, 1), field, false);
        break;
      }
      case u'd':
      case u'i':
      case u'u':
      case u'x':
      case u'X':
        Number(text, field, static_cast<char>(conv), args, half);
        break;
      default:
        text.push_back(conv);  // unknown conversions are copied as they stand
        break;
    }
  }
  va_end(args);
  if (text.size() > kMaxOutput - 1) text.resize(kMaxOutput - 1);
  text.copy(out, text.size());
  out[text.size()] = 0;
  return static_cast<int>(text.size());
}
