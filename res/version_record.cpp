// The program's version record, as its resource script would state it.
#include <vector>

#include "platform/version/version.h"
#include "res/resources.h"

namespace res {
namespace {

const platform::VersionString kStrings[] = {
    {u"FileDescription", u"RegillaMobile"},
    {u"FileVersion", u"1.0.0.1"},
    // Short enough for the one-line static of the About page (79 units).
    {u"LegalCopyright", u"(C) 2026 RegillaWM"},
    {u"ProductVersion", u"1, 0, 0, 1"},
};

// Japanese, code page 932.
const platform::VersionStringTable kTables[] = {{u"041103a4", kStrings}};
const platform::VersionTranslation kTranslations[] = {{0x0411, 0x03A4}};

}  // namespace

const platform::VersionRecord& VersionRecord() {
  static const platform::VersionRecord record = [] {
    platform::VersionRecord r;
    r.fileVersion = {1, 0, 0, 1};
    r.productVersion = {1, 0, 0, 1};
    r.fileFlagsMask = VS_FFI_FILEFLAGSMASK;
    r.fileFlags = 0;
    r.fileOS = VOS__WINDOWS32;
    r.fileType = VFT_APP;
    r.fileSubtype = VFT2_UNKNOWN;
    r.stringTables = kTables;
    r.translations = kTranslations;
    return r;
  }();
  return record;
}

std::span<const unsigned char> VersionBlock() {
  static const std::vector<unsigned char> block = platform::BuildVersionInfo(VersionRecord());
  return block;
}

}  // namespace res
