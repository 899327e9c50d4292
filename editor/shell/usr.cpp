// File: editor/shell/usr.cpp
#include "editor/shell/usr.h"

namespace ruvel {

UsrState& Usr() {
  static UsrState state;
  return state;
}

void ResetUsr() { Usr() = UsrState{}; }

}  // namespace ruvel
