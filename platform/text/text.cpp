#include "platform/text/text.h"

#include <algorithm>
#include <iterator>

namespace platform::text {

bool EqualsFolded(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return true;
}

int CopyCut(std::u16string_view text, char16_t* buffer, int size) {
  if (buffer == nullptr || size <= 0) return 0;
  const int n = static_cast<int>(std::min(text.size(), static_cast<std::size_t>(size - 1)));
  std::copy_n(text.begin(), n, buffer);
  buffer[n] = 0;
  return n;
}

bool SurrogatesPaired(std::u16string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (IsHighSurrogate(text[i])) {
      if (i + 1 >= text.size() || !IsLowSurrogate(text[i + 1])) return false;
      ++i;
    } else if (IsLowSurrogate(text[i])) {
      return false;
    }
  }
  return true;
}

std::optional<std::size_t> DecodeUtf8(std::string_view in, std::u16string& out) {
  out.clear();
  out.reserve(in.size());
  std::size_t i = 0;
  while (i < in.size()) {
    const auto b = static_cast<unsigned char>(in[i]);
    if (b < 0x80) {
      out.push_back(b);
      ++i;
      continue;
    }
    std::size_t len = 0;
    char32_t cp = 0;
    char32_t min = 0;
    if ((b & 0xE0) == 0xC0) {
      len = 2, cp = b & 0x1F, min = 0x80;
    } else if ((b & 0xF0) == 0xE0) {
      len = 3, cp = b & 0x0F, min = 0x800;
    } else if ((b & 0xF8) == 0xF0) {
      len = 4, cp = b & 0x07, min = 0x10000;
    } else {
      return i;
    }
    if (i + len > in.size()) return i;
    for (std::size_t k = 1; k < len; ++k) {
      const auto c = static_cast<unsigned char>(in[i + k]);
      if ((c & 0xC0) != 0x80) return i;
      cp = (cp << 6) | (c & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return i;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
    i += len;
  }
  return std::nullopt;
}

bool EncodeUtf8(std::u16string_view in, std::string& out, bool strict) {
  out.reserve(out.size() + in.size());
  for (std::size_t i = 0; i < in.size(); ++i) {
    char32_t cp = in[i];
    if (IsHighSurrogate(in[i]) && i + 1 < in.size() && IsLowSurrogate(in[i + 1])) {
      cp = CodePoint(in[i], in[i + 1]);
      ++i;
    } else if (IsHighSurrogate(in[i]) || IsLowSurrogate(in[i])) {
      if (strict) return false;
      cp = 0xFFFD;
    }
    PutUtf8(cp, std::back_inserter(out));
  }
  return true;
}

std::string ToUtf8(std::u16string_view text) {
  std::string out;
  EncodeUtf8(text, out, false);
  return out;
}

std::optional<std::u16string> FromUtf8(std::string_view text) {
  std::u16string out;
  if (DecodeUtf8(text, out)) return std::nullopt;
  return out;
}

std::u16string FromUtf8Lossy(std::string_view text) {
  std::u16string out;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::u16string part;
    auto bad = DecodeUtf8(text.substr(pos), part);
    out += part;
    if (!bad) break;
    out += u'\uFFFD';
    pos += *bad + 1;
  }
  return out;
}

void AppendUtf16Le(std::u16string_view text, std::vector<unsigned char>& out) {
  out.reserve(out.size() + text.size() * 2);
  for (char16_t c : text) {
    out.push_back(static_cast<unsigned char>(c & 0xFF));
    out.push_back(static_cast<unsigned char>(c >> 8));
  }
}

}  // namespace platform::text
