// Module and version-information calls of the platform, and wsprintfW.
//
// There is one module: the running program (platform::ProgramModule()). Its
// executable's path is the one file that carries version information; the
// block read from it is the module's VS_VERSIONINFO resource. Any other path
// behaves like a file without a version resource.
#pragma once

#include "platform/wintypes.h"

// The fixed part of a version resource (the value of the root block).
struct VS_FIXEDFILEINFO {
  DWORD dwSignature;  // VS_FFI_SIGNATURE
  DWORD dwStrucVersion;
  DWORD dwFileVersionMS;
  DWORD dwFileVersionLS;
  DWORD dwProductVersionMS;
  DWORD dwProductVersionLS;
  DWORD dwFileFlagsMask;
  DWORD dwFileFlags;
  DWORD dwFileOS;
  DWORD dwFileType;
  DWORD dwFileSubtype;
  DWORD dwFileDateMS;
  DWORD dwFileDateLS;
};
static_assert(sizeof(VS_FIXEDFILEINFO) == 52);

inline constexpr DWORD VS_FFI_SIGNATURE = 0xFEEF04BD;
inline constexpr DWORD VS_FFI_STRUCVERSION = 0x00010000;
inline constexpr DWORD VS_FFI_FILEFLAGSMASK = 0x0000003F;
inline constexpr DWORD VOS__WINDOWS32 = 0x00000004;
inline constexpr DWORD VFT_APP = 0x00000001;
inline constexpr DWORD VFT2_UNKNOWN = 0x00000000;

// The running program's module for a null name; null for any other name
// (no other module is loaded). The handle is the address of
// ProgramModule().resources, like the program's instance handle.
HMODULE GetModuleHandleW(LPCWSTR moduleName);

// Copies the module's executable path into `fileName` (capacity `size`
// characters, terminator included). Returns the length copied without the
// terminator; when the path does not fit it is cut to size - 1 characters,
// still terminated, and `size` is returned. 0 for an unknown module or a
// zero size.
DWORD GetModuleFileNameW(HMODULE module, LPWSTR fileName, DWORD size);

// Size in bytes of the buffer GetFileVersionInfoW needs for `fileName`, 0
// when the file has no version information. `handle`, when given, is set
// to 0.
DWORD GetFileVersionInfoSizeW(LPCWSTR fileName, LPDWORD handle);

// Copies the version information of `fileName` into `data` (`len` bytes).
// FALSE when the file has none or `data` cannot even hold the block's
// header. A shorter buffer receives the beginning of the block, marked as
// ending at the buffer's end, so that lookups never read past it.
BOOL GetFileVersionInfoW(LPCWSTR fileName, DWORD handle, DWORD len, LPVOID data);

// Looks up a value in a block filled by GetFileVersionInfoW: "\" gives the
// VS_FIXEDFILEINFO (length in bytes), "\VarFileInfo\Translation" the array
// of language/code-page word pairs (length in bytes),
// "\StringFileInfo\<key>\<name>" the string (length in characters,
// terminator included). Names compare without regard to ASCII case. FALSE,
// with *len set to 0, when a path component does not exist.
BOOL VerQueryValueW(LPCVOID block, LPCWSTR subBlock, LPVOID* buffer, UINT* len);

// Formats into `out` as the Windows call does: at most 1024 characters,
// terminator included. Conversions: %s (UTF-16 string; %hs a narrow one),
// %c, %d/%i, %u, %x, %X, with the flags '-', '0' and '#', a width, and the
// size prefixes l and h; %% writes '%'. Returns the number of characters
// written, without the terminator.
int wsprintfW(LPWSTR out, LPCWSTR format, ...);
