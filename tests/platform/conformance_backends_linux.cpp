#include "tests/platform/conformance.hpp"

namespace tavelo::testing {

// The window systems of this build: the sim and GTK, on a private X server.
INSTANTIATE_TEST_SUITE_P(Linux, Conformance,
                         ::testing::Values(Backend{"sim", sim_user}, Backend{"gtk", gtk_user}),
                         [](const ::testing::TestParamInfo<Backend>& backend) {
                           return backend.param.name;
                         });

}  // namespace tavelo::testing
