#include "pages/settings_table.h"

#include <string>

#include "store/store.h"

namespace pages {

HKEY RootKey(Root root) {
  return root == Root::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

std::u16string DecimalText(int n) {
  const std::string s = std::to_string(n);
  return std::u16string(s.begin(), s.end());
}

namespace detail {
namespace {

// Rows [first, last) of one registry cycle: a row that opens its own key and
// the rows after it that share that open.
std::size_t CycleEnd(std::span<const Row> rows, std::size_t first) {
  std::size_t last = first + 1;
  while (last < rows.size() && rows[last].open == Open::SharedWithPrevious) ++last;
  return last;
}

void SetCheck(CWnd& page, int id, bool checked) {
  page.CheckDlgButton(id, checked ? BST_CHECKED : BST_UNCHECKED);
}

void SetUpDownPos(CSpinButtonCtrl& spin, int n) {
  spin.SendMessage(UDM_SETPOS, 0, MAKELPARAM(static_cast<WORD>(n), 0));
}

// Shows a number in an up-down pair: member, then edit text, then position.
void ShowNumber(CWnd& page, const Row& row, int n) {
  *row.number = n;
  page.SetDlgItemText(row.id, DecimalText(n).c_str());
  SetUpDownPos(*row.spin, n);
}

// Shows a control state decided without a stored number (a failed-read
// default): check state, list entry or the number itself.
void ShowState(CWnd& page, const Row& row, int state) {
  switch (row.kind) {
    case ControlKind::CheckBox:
    case ControlKind::ClearHistory:
      SetCheck(page, row.id, state != 0);
      break;
    case ControlKind::DropDownList:
      page.SendDlgItemMessage(row.id, CB_SETCURSEL, static_cast<WPARAM>(state), 0);
      break;
    case ControlKind::UpDownPair:
      ShowNumber(page, row, state);
      break;
    case ControlKind::Text:
      break;
  }
}

// Shows a number read from the store through the row's load rule.
void ShowStored(CWnd& page, const Row& row, std::int32_t value) {
  switch (row.load.rule) {
    case LoadRule::CheckedIfNonZero:
      SetCheck(page, row.id, value != 0);
      break;
    case LoadRule::CheckedIfEquals:
      SetCheck(page, row.id, value == row.load.arg);
      break;
    case LoadRule::SelectIndex:
      // The raw value is the index; the list clears its selection when the
      // index is out of range.
      page.SendDlgItemMessage(row.id, CB_SETCURSEL, static_cast<WPARAM>(value), 0);
      break;
    case LoadRule::ReadInto:
      ShowNumber(page, row, value);
      break;
    case LoadRule::Divide:
      ShowNumber(page, row, value / row.load.arg);
      break;
    case LoadRule::String:
    case LoadRule::Nothing:
      break;
  }
}

// The outcome of one read, applied once the decision is known.
struct ReadResult {
  bool ok = false;
  bool tooLong = false;  // a text that does not fit the read buffer
  std::int32_t number = 0;
  std::u16string text;
};

ReadResult ReadRow(const store::OpenKey& key, const Row& row) {
  ReadResult r;
  if (row.load.rule == LoadRule::String) {
    if (auto text = key.ReadString(row.value, &r.tooLong)) {
      r.ok = true;
      r.text = std::move(*text);
    }
  } else if (row.load.rule == LoadRule::ReadInto) {
    // Straight into the member: a failed read leaves it as it was.
    r.ok = key.ReadNumberInto(row.value, *row.number);
    r.number = *row.number;
  } else if (auto number = key.ReadNumber(row.value)) {
    r.ok = true;
    r.number = *number;
  }
  return r;
}

void ApplyRead(CWnd& page, const Row& row, const ReadResult& r) {
  if (row.unreadable) {
    *row.unreadable = r.tooLong;
    // What the user types from now on is what an Apply may write over it.
    if (r.tooLong) page.SendDlgItemMessage(row.id, EM_SETMODIFY, FALSE);
  }
  if (r.ok) {
    if (row.load.rule == LoadRule::String) {
      page.SetDlgItemText(row.id, r.text.c_str());
    } else {
      ShowStored(page, row, r.number);
    }
  } else if (!row.ifReadFails.keep) {
    ShowState(page, row, row.ifReadFails.state);
  }
}

void LoadCycle(CWnd& page, std::span<const Row> cycle) {
  for (const Row& row : cycle) {
    if (row.kind != ControlKind::Text) continue;
    // Typing stops where a read would: a longer text could not be read back.
    page.SendDlgItemMessage(row.id, EM_LIMITTEXT, store::kStringMaxChars);
    *row.unreadable = false;
  }
  const Row& first = cycle.front();
  if (first.load.rule == LoadRule::Nothing) return;  // never read: no open
  store::OpenKey key = store::OpenKey::Open(RootKey(first.root), first.key);
  if (!key) {
    if (first.ifKeyMissing.create) {
      key = store::OpenKey::Create(RootKey(first.root), first.key);
      if (key) {
        const auto initial = static_cast<std::int32_t>(first.ifKeyMissing.initial);
        ShowStored(page, first, initial);
        key.WriteNumber(first.value, initial);
        key.Close();
      }
    }
    return;
  }
  if (cycle.size() == 1) {
    // Own cycle: open, query, close, then show.
    const ReadResult r = ReadRow(key, first);
    key.Close();
    ApplyRead(page, first, r);
    return;
  }
  // Shared open: each value is shown as soon as it is read.
  for (const Row& row : cycle) ApplyRead(page, row, ReadRow(key, row));
  key.Close();
}

bool IsChecked(CWnd& page, int id) {
  return page.IsDlgButtonChecked(id) == BST_CHECKED;
}

void SaveRow(CWnd& page, store::OpenKey& key, const Row& row) {
  switch (row.save.rule) {
    case SaveRule::CheckedUnchecked:
      key.WriteNumber(row.value,
                      static_cast<std::int32_t>(IsChecked(page, row.id) ? row.save.onValue
                                                                        : row.save.offValue));
      break;
    case SaveRule::SelectedIndex:
      // The index exactly as the list reports it: CB_ERR (-1) when none.
      key.WriteNumber(row.value,
                      static_cast<std::int32_t>(page.SendDlgItemMessage(row.id, CB_GETCURSEL)));
      break;
    case SaveRule::Multiply: {
      const int n = *row.number;
      const DWORD stored = (n == 0 && row.save.zeroMapped)
                               ? row.save.zeroValue
                               : static_cast<DWORD>(n) * static_cast<DWORD>(row.save.factor);
      key.WriteNumber(row.value, static_cast<std::int32_t>(stored));
      break;
    }
    case SaveRule::String: {
      if (row.unreadable && *row.unreadable) {
        if (!page.SendDlgItemMessage(row.id, EM_GETMODIFY)) break;
        *row.unreadable = false;
      }
      CString text;
      page.GetDlgItemText(row.id, text);
      key.WriteString(row.value, text);
      break;
    }
    case SaveRule::EmptyIfChecked:
      if (IsChecked(page, row.id)) {
        for (std::u16string_view name : row.names) key.WriteString(name, u"");
      }
      break;
  }
}

}  // namespace

void LoadRows(CWnd& page, std::span<const Row> rows) {
  for (std::size_t i = 0; i < rows.size();) {
    const std::size_t end = CycleEnd(rows, i);
    LoadCycle(page, rows.subspan(i, end - i));
    i = end;
  }
}

void SaveRows(CWnd& page, std::span<const Row> rows) {
  for (std::size_t i = 0; i < rows.size();) {
    const std::size_t end = CycleEnd(rows, i);
    // Saving never creates a key: a key that does not open skips its values.
    if (store::OpenKey key = store::OpenKey::Open(RootKey(rows[i].root), rows[i].key)) {
      for (std::size_t j = i; j < end; ++j) SaveRow(page, key, rows[j]);
      key.Close();
    }
    i = end;
  }
}

bool StepRows(std::span<const Row> rows, const UpDownRules& rules, UINT code, UINT pos,
              CWnd* notifier, CWnd& page) {
  if (rules.thumbPositionOnly && code != SB_THUMBPOSITION) return false;
  const HWND from = notifier ? notifier->GetSafeHwnd() : nullptr;
  for (const Row& row : rows) {
    if (row.kind != ControlKind::UpDownPair || from == nullptr || row.spin->GetSafeHwnd() != from) {
      continue;
    }
    const int reported = static_cast<int>(pos);
    int& n = *row.number;
    // One step toward the reported position, never past the page's bounds
    // (written so that no comparison overflows at the int limits).
    if (reported > n && n < rules.highest) {
      ++n;
    } else if (reported < n && n > rules.lowest) {
      --n;
    }
    SetUpDownPos(*row.spin, n);
    page.SetDlgItemText(row.id, DecimalText(n).c_str());
    break;
  }
  return true;
}

}  // namespace detail
}  // namespace pages
