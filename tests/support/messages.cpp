#include "tests/support/messages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "platform/controls/commctrl.h"
#include "platform/window/winuser.h"

namespace test {

namespace {

const MessageRecorder* g_active = nullptr;

bool Contains(const std::vector<HWND>& list, HWND h) {
  return list.empty() || std::find(list.begin(), list.end(), h) != list.end();
}

Message Decode(HWND h, UINT m, WPARAM w, LPARAM l) {
  Message out{h, m, w, l};
  if (m == WM_NOTIFY && l != 0) {
    const auto* header = reinterpret_cast<const NMHDR*>(l);
    out.code = header->code;
    out.from = header->hwndFrom;
    if (header->code == UDN_DELTAPOS) {
      const auto* updown = reinterpret_cast<const NMUPDOWN*>(l);
      out.pos = updown->iPos;
      out.delta = updown->iDelta;
    }
  } else if (m == WM_COMMAND || m == WM_VSCROLL || m == WM_HSCROLL) {
    out.from = reinterpret_cast<HWND>(l);
  }
  return out;
}

bool Matches(const MessageSeq& e, const Message& m) {
  if (e.msg != m.msg) return false;
  if ((e.flags & wparam) != 0 && e.wParam != m.wParam) return false;
  if ((e.flags & lparam) != 0 && e.lParam != m.lParam) return false;
  if ((e.flags & notify) != 0 && e.code != m.code) return false;
  return true;
}

std::string Describe(UINT msg, WPARAM w, LPARAM l, UINT c, unsigned flags) {
  std::ostringstream out;
  out << "0x" << std::hex << msg;
  if ((flags & wparam) != 0) out << " wParam 0x" << w;
  if ((flags & lparam) != 0) out << " lParam 0x" << static_cast<unsigned long long>(l);
  if ((flags & notify) != 0) out << " code " << std::dec << static_cast<int>(c);
  if ((flags & optional) != 0) out << " (optional)";
  return out.str();
}

std::string Listing(std::span<const MessageSeq> expected, const std::vector<Message>& actual) {
  std::ostringstream out;
  out << "expected:";
  for (const MessageSeq& e : expected) {
    out << "\n  " << Describe(e.msg, e.wParam, e.lParam, e.code, e.flags);
  }
  out << "\nrecorded:";
  for (const Message& m : actual) {
    out << "\n  "
        << Describe(m.msg, m.wParam, m.lParam, m.code,
                    wparam | lparam | (m.msg == WM_NOTIFY ? notify : 0u));
  }
  return out.str();
}

}  // namespace

MessageRecorder::MessageRecorder(std::vector<HWND> windows, std::span<const UINT> kinds)
    : windows_(std::move(windows)), kinds_(kinds.begin(), kinds.end()) {
  EXPECT_EQ(g_active, nullptr) << "two message recorders at once";
  g_active = this;
  platform::SetMessageHook([this](HWND h, UINT m, WPARAM w, LPARAM l) {
    if (!Contains(windows_, h)) return;
    if (!kinds_.empty() && std::find(kinds_.begin(), kinds_.end(), m) == kinds_.end()) return;
    log_.push_back(Decode(h, m, w, l));
  });
}

MessageRecorder::~MessageRecorder() {
  platform::SetMessageHook({});
  if (g_active == this) g_active = nullptr;
}

std::vector<Message> MessageRecorder::Only(UINT msg) const {
  std::vector<Message> out;
  for (const Message& m : log_) {
    if (m.msg == msg) out.push_back(m);
  }
  return out;
}

void ExpectSequence(MessageRecorder& recorder, std::span<const MessageSeq> expected,
                    std::string_view context) {
  const std::vector<Message> actual = recorder.Messages();
  recorder.Clear();
  std::size_t e = 0;
  std::size_t a = 0;
  while (e < expected.size() && a < actual.size()) {
    if (Matches(expected[e], actual[a])) {
      ++e;
      ++a;
    } else if ((expected[e].flags & optional) != 0) {
      ++e;
    } else {
      ADD_FAILURE() << context << ": message " << a << " differs\n" << Listing(expected, actual);
      return;
    }
  }
  for (; e < expected.size(); ++e) {
    if ((expected[e].flags & optional) == 0) {
      ADD_FAILURE() << context << ": message " << a << " is missing\n" << Listing(expected, actual);
      return;
    }
  }
  if (a < actual.size()) {
    ADD_FAILURE() << context << ": message " << a << " was not expected\n"
                  << Listing(expected, actual);
  }
}

}  // namespace test
