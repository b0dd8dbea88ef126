#include "tests/platform/conformance.hpp"

namespace tavelo::testing {

// The window systems of this build: the sim, and Win32 (under wine on a private X server).
INSTANTIATE_TEST_SUITE_P(Windows, Conformance,
                         ::testing::Values(Backend{"sim", sim_user}, Backend{"win32", win32_user}),
                         [](const ::testing::TestParamInfo<Backend>& backend) {
                           return backend.param.name;
                         });

}  // namespace tavelo::testing
