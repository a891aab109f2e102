// The program's resource module: dialog templates with their drop-down
// lists, icon group 129, bitmaps 132 and 134, and the version record.
#pragma once

#include <span>

#include "platform/resource.h"
#include "platform/version/version_builder.h"
#include "res/resource_ids.h"

namespace res {

// The module handed to platform::ProgramModule() at start-up.
const platform::ResourceModule& Module();

// The description the version block is built from.
const platform::VersionRecord& VersionRecord();

// The built VS_VERSIONINFO block (also Module().versionInfo).
std::span<const unsigned char> VersionBlock();

// The dialog templates (also Module().dialogs).
std::span<const platform::DialogTemplate> Dialogs();

}  // namespace res
