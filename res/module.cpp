#include "res/resources.h"
#include "res_about134.h"
#include "res_bullet132.h"
#include "res_icon129.h"

namespace res {

const platform::ResourceModule& Module() {
  static const platform::BinaryResource icons[] = {
      {IDI_PROGRAM, {data::icon129, data::icon129_size}},
  };
  static const platform::BinaryResource bitmaps[] = {
      {IDB_BULLET, {data::bullet132, data::bullet132_size}},
      {IDB_ABOUT, {data::about134, data::about134_size}},
  };
  static const platform::ResourceModule module{Dialogs(), icons, bitmaps, VersionBlock()};
  return module;
}

}  // namespace res
