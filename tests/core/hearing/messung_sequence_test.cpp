#include <gtest/gtest.h>

#include "support/messung_rig.h"

namespace kelvor::hearing {
namespace {

using testing::MessungRig;

TEST(MessungSequence, SmokeRunStartsAtTopOfRange) {
    MessungRig rig;
    rig.start_running();
    EXPECT_EQ(rig.state.test_freq, 8000);
    EXPECT_EQ(rig.state.test_level, 0);
}

} // namespace
} // namespace kelvor::hearing
