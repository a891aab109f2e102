#include "platform/text/codepage.h"

#include <iconv.h>
#include <uchardet/uchardet.h>

#include <strings.h>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "platform/text/text.h"

namespace platform::text {

namespace {

struct CodePageInfo {
  unsigned codePage;
  const char* iconvName;
  const char* name;
};

constexpr CodePageInfo kInfo[] = {
    {932, "CP932", "Shift_JIS"},       {936, "CP936", "GBK"},
    {949, "CP949", "UHC (Korean)"},    {950, "CP950", "Big5"},
    {1250, "CP1250", "windows-1250"},  {1251, "CP1251", "windows-1251"},
    {1252, "CP1252", "windows-1252"},  {1253, "CP1253", "windows-1253"},
    {1254, "CP1254", "windows-1254"},  {1255, "CP1255", "windows-1255"},
    {1256, "CP1256", "windows-1256"},  {1257, "CP1257", "windows-1257"},
    {1258, "CP1258", "windows-1258"},  {874, "CP874", "windows-874 (Thai)"},
    {kUtf8CodePage, "UTF-8", "UTF-8"},
};

const CodePageInfo* Find(unsigned codePage) {
  for (const CodePageInfo& info : kInfo) {
    if (info.codePage == codePage) return &info;
  }
  return nullptr;
}

// libuchardet's names of the code pages (or of a subset of one).
struct Detected {
  const char* charset;
  unsigned codePage;
};
constexpr Detected kDetected[] = {
    {"SHIFT_JIS", 932},     {"CP932", 932},         {"GB18030", 936},       {"GBK", 936},
    {"GB2312", 936},        {"EUC-KR", 949},        {"UHC", 949},           {"CP949", 949},
    {"BIG5", 950},          {"CP950", 950},         {"ISO-8859-1", 1252},   {"TIS-620", 874},
    {"ISO-8859-11", 874},   {"WINDOWS-874", 874},   {"WINDOWS-1250", 1250}, {"WINDOWS-1251", 1251},
    {"WINDOWS-1252", 1252}, {"WINDOWS-1253", 1253}, {"WINDOWS-1254", 1254}, {"WINDOWS-1255", 1255},
    {"WINDOWS-1256", 1256}, {"WINDOWS-1257", 1257}, {"WINDOWS-1258", 1258},
};

const iconv_t kNoHandle = reinterpret_cast<iconv_t>(-1);
constexpr std::size_t kFailed = static_cast<std::size_t>(-1);

}  // namespace

std::optional<unsigned char> StandInAt(std::u16string_view text, std::size_t i) {
  if (i + 1 >= text.size() || text[i] != kStandInHigh) return std::nullopt;
  const char16_t low = text[i + 1];
  if (low < kStandInLow || low > kStandInLow + 0xFF) return std::nullopt;
  return static_cast<unsigned char>(low - kStandInLow);
}

bool IsCodePage(unsigned codePage) {
  return std::find(kCodePages.begin(), kCodePages.end(), codePage) != kCodePages.end();
}

std::string_view CodePageName(unsigned codePage) {
  const CodePageInfo* info = Find(codePage);
  return info ? info->name : "unknown";
}

std::optional<unsigned> DetectCodePage(std::string_view bytes) {
  uchardet_t detector = uchardet_new();
  if (detector == nullptr) return std::nullopt;
  std::optional<unsigned> found;
  if (uchardet_handle_data(detector, bytes.data(), bytes.size()) == 0) {
    uchardet_data_end(detector);
    const std::string_view charset = uchardet_get_charset(detector);
    for (const Detected& d : kDetected) {
      if (strcasecmp(std::string(charset).c_str(), d.charset) == 0) found = d.codePage;
    }
  }
  uchardet_delete(detector);
  return found;
}

struct CodePageCodec::Handles {
  iconv_t decode = kNoHandle;
  iconv_t encode = kNoHandle;
  ~Handles() {
    if (decode != kNoHandle) iconv_close(decode);
    if (encode != kNoHandle) iconv_close(encode);
  }
};

CodePageCodec::CodePageCodec(unsigned codePage)
    : codePage_(codePage), handles_(std::make_unique<Handles>()) {
  const CodePageInfo* info = Find(codePage);
  if (info == nullptr) throw std::invalid_argument("not a supported code page");
  handles_->decode = iconv_open("UTF-16LE", info->iconvName);
  handles_->encode = iconv_open(info->iconvName, "UTF-16LE");
  if (handles_->decode == kNoHandle || handles_->encode == kNoHandle) {
    throw std::runtime_error(std::string("iconv cannot convert ") + info->iconvName);
  }
}

CodePageCodec::~CodePageCodec() = default;

namespace {

void AppendUnits(const char* bytes, std::size_t n, std::u16string& out) {
  for (std::size_t i = 0; i + 1 < n; i += 2) {
    out.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                        (static_cast<unsigned char>(bytes[i + 1]) << 8)));
  }
}

}  // namespace

std::optional<std::size_t> CodePageCodec::Decode(std::string_view in, std::u16string& out) {
  iconv_t cd = handles_->decode;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  std::optional<std::size_t> firstBad;
  char* src = const_cast<char*>(in.data());
  std::size_t left = in.size();
  auto standIn = [&](const char* at) {
    const auto byte = static_cast<unsigned char>(*at);
    if (byte < 0x80) {
      out.push_back(byte);  // ASCII is text in every code page here
      return;
    }
    if (!firstBad) firstBad = static_cast<std::size_t>(at - in.data());
    out.push_back(kStandInHigh);
    out.push_back(static_cast<char16_t>(kStandInLow + byte));
  };
  // The stateful code pages hold back a base letter for a combining mark
  // that may follow; the others convert one character per call, so that
  // bytes iconv takes without giving a character are seen.
  const bool stateful = codePage_ == 1255 || codePage_ == 1258;
  char buffer[4096];
  while (left > 0) {
    char* before = src;
    char* dst = buffer;
    std::size_t room = stateful ? sizeof buffer : 2;
    std::size_t r = iconv(cd, &src, &left, &dst, &room);
    if (!stateful && r == kFailed && errno == E2BIG && src == before) {
      room = 4;  // a surrogate pair
      r = iconv(cd, &src, &left, &dst, &room);
    }
    const int error = r == kFailed ? errno : 0;
    const std::size_t produced = static_cast<std::size_t>(dst - buffer);
    AppendUnits(buffer, produced, out);
    if (!stateful && produced == 0 && src != before) {
      for (const char* at = before; at < src; ++at) standIn(at);
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
      continue;
    }
    if (error == 0 || error == E2BIG) continue;
    // EILSEQ or EINVAL: the byte at `src` starts no character. What is
    // held back is converted first.
    dst = buffer;
    room = sizeof buffer;
    iconv(cd, nullptr, nullptr, &dst, &room);
    AppendUnits(buffer, static_cast<std::size_t>(dst - buffer), out);
    standIn(src);
    ++src;
    --left;
  }
  char* dst = buffer;
  std::size_t room = sizeof buffer;
  iconv(cd, nullptr, nullptr, &dst, &room);
  AppendUnits(buffer, static_cast<std::size_t>(dst - buffer), out);
  return firstBad;
}

bool CodePageCodec::EncodeRun(std::u16string_view in, std::string& out) {
  iconv_t cd = handles_->encode;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  std::string bytes;
  bytes.reserve(in.size() * 2);
  for (char16_t c : in) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  char* src = bytes.data();
  std::size_t left = bytes.size();
  char buffer[4096];
  while (left > 0) {
    char* dst = buffer;
    std::size_t room = sizeof buffer;
    const std::size_t r = iconv(cd, &src, &left, &dst, &room);
    out.append(buffer, sizeof buffer - room);
    if (r == kFailed && errno != E2BIG) return false;
  }
  for (;;) {
    char* dst = buffer;
    std::size_t room = sizeof buffer;
    const std::size_t r = iconv(cd, nullptr, nullptr, &dst, &room);
    out.append(buffer, sizeof buffer - room);
    if (r != kFailed) return true;
    if (errno != E2BIG) return false;
  }
}

// Encodes and checks that the bytes read back as the same text, so a
// character the code page holds only approximately fails too.
bool CodePageCodec::EncodeExactly(std::u16string_view in, std::string& out) {
  std::string bytes;
  if (!EncodeRun(in, bytes)) return false;
  std::u16string back;
  if (Decode(bytes, back) || back != in) return false;
  out += bytes;
  return true;
}

bool CodePageCodec::Encode(std::u16string_view in, std::string& out, std::u16string* bad) {
  const bool standIns = codePage_ != kUtf8CodePage;
  std::size_t start = 0;
  while (start <= in.size()) {
    std::size_t end = start;
    while (end < in.size() && !(standIns && StandInAt(in, end))) ++end;
    const std::u16string_view run = in.substr(start, end - start);
    if (!EncodeExactly(run, out)) {
      if (bad != nullptr) {
        // The first character that fails on its own.
        for (std::size_t i = 0; i < run.size(); ++i) {
          const std::size_t n =
              (IsHighSurrogate(run[i]) && i + 1 < run.size() && IsLowSurrogate(run[i + 1])) ? 2 : 1;
          std::string ignored;
          if (!EncodeExactly(run.substr(i, n), ignored)) {
            *bad = run.substr(i, n);
            break;
          }
          i += n - 1;
        }
      }
      return false;
    }
    if (end == in.size()) break;
    out.push_back(static_cast<char>(*StandInAt(in, end)));
    start = end + 2;
  }
  return true;
}

}  // namespace platform::text
