// The fixture files under tests/data/, read whole. The folder comes from
// REGILLA_TEST_DATA, which the CMake target test_data sets.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>

#ifndef REGILLA_TEST_DATA
#error "REGILLA_TEST_DATA is not set: link the target test_data"
#endif

namespace test {

inline std::string Fixture(std::string_view name) {
  const std::filesystem::path path = std::filesystem::path(REGILLA_TEST_DATA) / name;
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read the test fixture " + path.string());
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace test
