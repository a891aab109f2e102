// Settings tables: every settings page declares its settings as rows (heading,
// control, root, key, value, load and save mappings, what happens when the key
// or the value cannot be read) and lets the walkers below load and save them.
// The walkers own the registry cycle rules: one open/query-or-set/close cycle
// per row, except rows marked as sharing the open of the row before them.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "platform/framework/afxcmn.h"
#include "platform/framework/afxdlgs.h"
#include "platform/framework/afxwin.h"
#include "platform/wintypes.h"
#include "store/catalogue.h"

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

template <class Page>
struct Control {
  ControlKind kind = ControlKind::CheckBox;
  int id = 0;  // the check box, list or edit (for an up-down pair: its edit)
  int Page::*number = nullptr;
  CSpinButtonCtrl Page::*spin = nullptr;
};

template <class Page>
constexpr Control<Page> CheckBox(int id) {
  return {ControlKind::CheckBox, id};
}
template <class Page>
constexpr Control<Page> DropDownList(int id) {
  return {ControlKind::DropDownList, id};
}
template <class Page>
constexpr Control<Page> UpDown(int editId, CSpinButtonCtrl Page::*spin, int Page::*number) {
  return {ControlKind::UpDownPair, editId, number, spin};
}
template <class Page>
constexpr Control<Page> TextEdit(int id) {
  return {ControlKind::Text, id};
}
template <class Page>
constexpr Control<Page> HistoryBox(int id) {
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

template <class Page>
struct Setting {
  std::u16string_view heading;
  Control<Page> control;
  Root root;
  std::u16string_view key;
  std::u16string_view value;
  Load load;
  Save save;
  IfKeyMissing keyMissing = kLeave;
  IfRead valueMissing = kKeep;
  Open open = Open::Own;
  // ClearHistory rows: the value names emptied on save, in order.
  std::span<const std::u16string_view> (*names)() = nullptr;
};

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
  std::u16string_view heading;
  ControlKind kind;
  int id;
  int* number;
  CSpinButtonCtrl* spin;
  Root root;
  std::u16string_view key;
  std::u16string_view value;
  Load load;
  Save save;
  IfKeyMissing keyMissing;
  IfRead valueMissing;
  Open open;
  std::span<const std::u16string_view> names;
};

template <class Page>
std::vector<Row> Resolve(Page& page, std::span<const Setting<Page>> table) {
  std::vector<Row> rows;
  rows.reserve(table.size());
  for (const Setting<Page>& s : table) {
    rows.push_back(Row{s.heading, s.control.kind, s.control.id,
                       s.control.number ? &(page.*s.control.number) : nullptr,
                       s.control.spin ? &(page.*s.control.spin) : nullptr, s.root, s.key, s.value,
                       s.load, s.save, s.keyMissing, s.valueMissing, s.open,
                       s.names ? s.names() : std::span<const std::u16string_view>{}});
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
