// Settings tables: every settings page declares its settings as rows (heading,
// control, root, key, value, load and save mappings, what happens when the key
// or the value cannot be read) and lets the walkers below load and save them.
// The walkers own the registry cycle rules: one open/query-or-set/close cycle
// per row, except rows marked as sharing the open of the row before them.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>
#include <vector>

#include "pages/saved_value.h"
#include "platform/framework/afxcmn.h"
#include "platform/framework/afxdlgs.h"
#include "platform/framework/afxwin.h"
#include "platform/registry/winreg.h"
#include "platform/wintypes.h"
#include "store/keys.h"

namespace pages {

// The registry root of a row (HKEY constants are not usable in constant
// tables).
enum class Root { LocalMachine, CurrentUser };
HKEY RootKey(Root root);

// The kind of control a row drives.
enum class ControlKind {
  CheckBox,      // two-state check box, by control id
  DropDownList,  // combo box, entry index = stored number
  UpDownPair,    // read-only edit + up-down, backed by an int member of the page
  Text,          // edit holding a string value
  ClearHistory,  // check box that, when checked, empties a list of values on save
};

// How a stored number shows in the control.
enum class LoadRule {
  CheckedIfNonZero,  // check box checked iff value != 0
  CheckedIfEquals,   // check box checked iff value == loadArg
  SelectIndex,       // list entry index = value (no range check: the list rejects)
  ReadInto,          // the value is read straight into the number member
  Divide,            // number member = value / loadArg (signed, toward zero)
  String,            // edit text = stored string
  Nothing,           // the row is not read at all
};

// How the control becomes a stored value.
enum class SaveRule {
  CheckedUnchecked,  // checked ? onValue : offValue
  SelectedIndex,     // the list's reported selection, -1 when none
  Multiply,          // member * factor; 0 stored as zeroValue when zeroMapped
  String,            // the edit's whole text, without terminator
  EmptyIfChecked,    // when checked, every name of `names` set to a 0-byte REG_SZ
};

// What a failed read shows. Keep leaves the control (and member) as it is;
// otherwise `state` is shown: check state for boxes, entry index for lists,
// the number itself for up-down pairs.
struct IfRead {
  bool keep = true;
  int state = 0;
};
inline constexpr IfRead kKeep{true, 0};
constexpr IfRead Show(int state) {
  return IfRead{false, state};
}

// What a key that does not open means while loading: nothing, or create the
// key, show `initial` through the load rule and store it at once.
struct IfKeyMissing {
  bool create = false;
  DWORD initial = 0;
};
inline constexpr IfKeyMissing kLeave{false, 0};
constexpr IfKeyMissing CreateWith(DWORD initial) {
  return IfKeyMissing{true, initial};
}

struct Control {
  ControlKind kind = ControlKind::CheckBox;
  int id = 0;  // the check box, list or edit (for an up-down pair: its edit)
};
constexpr Control CheckBox(int id) {
  return {ControlKind::CheckBox, id};
}
constexpr Control DropDownList(int id) {
  return {ControlKind::DropDownList, id};
}
constexpr Control UpDownPair(int editId) {
  return {ControlKind::UpDownPair, editId};
}
constexpr Control TextEdit(int id) {
  return {ControlKind::Text, id};
}
constexpr Control HistoryBox(int id) {
  return {ControlKind::ClearHistory, id};
}

struct Load {
  LoadRule rule = LoadRule::Nothing;
  int arg = 0;
};
constexpr Load CheckedIfNonZero() {
  return {LoadRule::CheckedIfNonZero, 0};
}
constexpr Load CheckedIfEquals(int v) {
  return {LoadRule::CheckedIfEquals, v};
}
constexpr Load SelectIndex() {
  return {LoadRule::SelectIndex, 0};
}
constexpr Load ReadInto() {
  return {LoadRule::ReadInto, 0};
}
constexpr Load Divide(int by) {
  return {LoadRule::Divide, by};
}
constexpr Load AsString() {
  return {LoadRule::String, 0};
}
constexpr Load NotLoaded() {
  return {LoadRule::Nothing, 0};
}

struct Save {
  SaveRule rule = SaveRule::CheckedUnchecked;
  DWORD onValue = 1;
  DWORD offValue = 0;
  int factor = 1;
  bool zeroMapped = false;
  DWORD zeroValue = 0;
};
constexpr Save Checked(DWORD on, DWORD off) {
  return {SaveRule::CheckedUnchecked, on, off};
}
constexpr Save SelectedIndex() {
  return {SaveRule::SelectedIndex};
}
constexpr Save Times(int factor) {
  return {SaveRule::Multiply, 0, 0, factor};
}
constexpr Save TimesZeroAs(int factor, DWORD zeroValue) {
  return {SaveRule::Multiply, 0, 0, factor, true, zeroValue};
}
constexpr Save AsText() {
  return {SaveRule::String};
}
constexpr Save EmptyIfChecked() {
  return {SaveRule::EmptyIfChecked};
}

// Whether a row opens its own key or reads/writes inside the open of the row
// before it (same root and key).
enum class Open { Own, SharedWithPrevious };

// One row, written with designated initializers in the order of the fields;
// the fields without a default are given in every row.
template <class Page>
struct Setting {
  std::u16string_view heading;
  Control control;
  // Up-down pairs: the page's up-down control and the number it steps.
  CSpinButtonCtrl Page::*spin = nullptr;
  int Page::*number = nullptr;
  // Text rows: the page's flag of a stored text too long to read. Such a
  // text is not shown, and an Apply leaves it unless the user typed since.
  bool Page::*unreadable = nullptr;
  Root root;
  std::u16string_view key;
  std::u16string_view value = {};  // none for a history box
  // History boxes: the value names emptied on save, in order.
  std::span<const std::u16string_view> names = {};
  Load load;
  Save save;
  IfKeyMissing ifKeyMissing = kLeave;
  IfRead ifReadFails = kKeep;
  Open open = Open::Own;
};

// Checks a page's table at compile time: static_assert(CheckTable(kSettings)).
// A fault stops the build at the throw that names it.
template <class Page, std::size_t N>
consteval bool CheckTable(const Setting<Page> (&table)[N]) {
  for (std::size_t i = 0; i < N; ++i) {
    const Setting<Page>& s = table[i];
    const bool pair = s.control.kind == ControlKind::UpDownPair;
    if (pair != (s.spin != nullptr) || pair != (s.number != nullptr)) {
      throw "an up-down row has its spin and its number, and no other row has them";
    }
    const bool history = s.control.kind == ControlKind::ClearHistory;
    if (history == s.names.empty() || history != (s.save.rule == SaveRule::EmptyIfChecked)) {
      throw "a history row has its names and empties them, and no other row does";
    }
    const bool numberRule = s.load.rule == LoadRule::ReadInto || s.load.rule == LoadRule::Divide ||
                            s.save.rule == SaveRule::Multiply;
    if (numberRule != pair) throw "the number rules are an up-down row's, and its only";
    if ((s.control.kind == ControlKind::Text) != (s.unreadable != nullptr)) {
      throw "a text row has its unreadable flag, and no other row has one";
    }
    if (s.load.rule == LoadRule::Divide && s.load.arg == 0) throw "a division by zero";
    if (s.open == Open::SharedWithPrevious &&
        (i == 0 || table[i - 1].root != s.root || table[i - 1].key != s.key)) {
      throw "a shared open follows a row of the same root and key";
    }
  }
  return true;
}

// The values a table writes, in save order: what an Apply of the page sets
// when every key opens (and the history box is checked).
template <class Page>
std::vector<SavedValue> SaveSet(std::span<const Setting<Page>> table) {
  std::vector<SavedValue> set;
  for (const Setting<Page>& s : table) {
    if (s.save.rule == SaveRule::EmptyIfChecked) {
      for (std::u16string_view name : s.names) {
        set.push_back({s.heading, RootKey(s.root), s.key, name, REG_SZ});
      }
    } else {
      const DWORD type = s.save.rule == SaveRule::String ? REG_SZ : REG_DWORD;
      set.push_back({s.heading, RootKey(s.root), s.key, s.value, type});
    }
  }
  return set;
}

// The up-down handler's rules of a page: the bounds a number may be stepped to
// and whether notifications other than SB_THUMBPOSITION are ignored.
struct UpDownRules {
  int lowest = 0;
  int highest = 0;
  bool thumbPositionOnly = true;
};

namespace detail {

// A row with the page's members resolved.
struct Row {
  ControlKind kind;
  int id;
  int* number;
  CSpinButtonCtrl* spin;
  bool* unreadable;
  Root root;
  std::u16string_view key;
  std::u16string_view value;
  Load load;
  Save save;
  IfKeyMissing ifKeyMissing;
  IfRead ifReadFails;
  Open open;
  std::span<const std::u16string_view> names;
};

template <class Page>
std::vector<Row> Resolve(Page& page, std::span<const Setting<Page>> table) {
  std::vector<Row> rows;
  rows.reserve(table.size());
  for (const Setting<Page>& s : table) {
    rows.push_back(Row{s.control.kind, s.control.id, s.number ? &(page.*s.number) : nullptr,
                       s.spin ? &(page.*s.spin) : nullptr,
                       s.unreadable ? &(page.*s.unreadable) : nullptr, s.root, s.key, s.value,
                       s.load, s.save, s.ifKeyMissing, s.ifReadFails, s.open, s.names});
  }
  return rows;
}

void LoadRows(CWnd& page, std::span<const Row> rows);
void SaveRows(CWnd& page, std::span<const Row> rows);
// Returns true when the base class's default scroll handling should follow.
bool StepRows(std::span<const Row> rows, const UpDownRules& rules, UINT code, UINT pos,
              CWnd* notifier, CWnd& page);

}  // namespace detail

// Reads every row into its control, in table order.
template <class Page>
void LoadTable(Page& page, std::span<const Setting<Page>> table) {
  detail::LoadRows(page, detail::Resolve(page, table));
}

// Writes every row from its control, in table order.
template <class Page>
void SaveTable(Page& page, std::span<const Setting<Page>> table) {
  detail::SaveRows(page, detail::Resolve(page, table));
}

// Handles WM_VSCROLL from one of the table's up-downs: moves its number one
// step toward the reported position within the rules' bounds, puts the
// up-down back on the number and rewrites the edit. Returns true when the
// base class's default handling should follow.
template <class Page>
bool StepUpDown(Page& page, std::span<const Setting<Page>> table, const UpDownRules& rules,
                UINT code, UINT pos, CWnd* notifier) {
  return detail::StepRows(detail::Resolve(page, table), rules, code, pos, notifier, page);
}

// Decimal text of a number ("%d").
std::u16string DecimalText(int n);

}  // namespace pages
