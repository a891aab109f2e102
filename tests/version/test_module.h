// Installs a program module with a given version block for one test and
// puts the previous one back afterwards.
#pragma once

#include <span>
#include <string>
#include <utility>
#include <vector>

#include "platform/resource.h"

class ScopedProgramModule {
 public:
  ScopedProgramModule(std::vector<unsigned char> block, std::u16string path)
      : saved_(platform::ProgramModule()), block_(std::move(block)) {
    module_.versionInfo = block_;
    platform::ProgramModule().resources = &module_;
    platform::ProgramModule().path = std::move(path);
  }
  ~ScopedProgramModule() { platform::ProgramModule() = saved_; }
  ScopedProgramModule(const ScopedProgramModule&) = delete;
  ScopedProgramModule& operator=(const ScopedProgramModule&) = delete;

  platform::ResourceModule& module() { return module_; }

 private:
  platform::ProgramModuleInfo saved_;
  std::vector<unsigned char> block_;
  platform::ResourceModule module_;
};
