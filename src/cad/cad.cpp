// Creation, lifetime and identification of the cad.
#include "cad/cad.hpp"

#include "core/allocator.hpp"

namespace gridlume {
namespace {

void delete_cad_routine(void *object) noexcept {
  auto *cad = static_cast<gridlume_cad *>(object);
  if (cad == nullptr) return;
  cad->type_tag = 0;
  destroy(cad);
}

}  // namespace
}  // namespace gridlume

extern "C" {

gridlume_cad *gridlume_cad_new(gridlume_context *context) {
  if (context == nullptr) return nullptr;
  gridlume_cad *cad = gridlume::create<gridlume_cad>();
  if (cad == nullptr) return nullptr;
  cad->type_tag = gridlume::cad_type_tag;
  cad->context = context;
  if (gridlume_context_attach_object(context, cad, gridlume::delete_cad_routine) !=
      GRIDLUME_STATUS_OK) {
    gridlume::destroy(cad);
    return nullptr;
  }
  return cad;
}

void gridlume_cad_delete(gridlume_cad *cad) {
  if (cad == nullptr) return;
  gridlume_context_delete_attached_object(cad->context, cad);
  gridlume::delete_cad_routine(cad);
}

int gridlume_cad_get_context(gridlume_cad *cad, gridlume_context **context) {
  if (context == nullptr) return GRIDLUME_STATUS_ERROR;
  *context = nullptr;
  if (cad == nullptr || cad->type_tag != gridlume::cad_type_tag) return GRIDLUME_STATUS_ERROR;
  *context = cad->context;
  return GRIDLUME_STATUS_OK;
}

}  // extern "C"
