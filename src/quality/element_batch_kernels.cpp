// The compiled forms of the batched measures.
#include "quality/element_batch_kernels.hpp"

// Where the compiler can build a function for several instruction sets and
// pick one at load time, the batched kernels also get an AVX2 form. The
// default form needs nothing beyond the base instruction set.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(GRIDLUME_NO_INSTRUCTION_SET_CLONES)
#define GRIDLUME_INSTRUCTION_SET_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define GRIDLUME_INSTRUCTION_SET_CLONES
#endif

namespace gridlume::measures {

GRIDLUME_INSTRUCTION_SET_CLONES
void tetrahedron_aspect_ratios(const CornerBatch<4> &batch,
                               double (&values)[element_batch_size]) noexcept {
  tetrahedron_aspect_ratios_or_inverses<false>(batch, values);
}

GRIDLUME_INSTRUCTION_SET_CLONES
void tetrahedron_inverse_aspect_ratios(const CornerBatch<4> &batch,
                                       double (&values)[element_batch_size]) noexcept {
  tetrahedron_aspect_ratios_or_inverses<true>(batch, values);
}

}  // namespace gridlume::measures
