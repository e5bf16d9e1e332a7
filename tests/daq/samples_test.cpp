#include "daq/samples.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>

namespace {

// Master and slave channels come from their own buffers; an unusable scale and a scan
// past the buffer's ends read 0 instead of infinities or a stray zero offset.
TEST(ChannelSampleG, ReadsEachBoardAndGuardsItsEnds) {
  auto d = std::make_unique<daq::State>();
  d->AdcZero = 100;
  d->ChannelScale[2] = 50;
  d->ChannelScale[10] = 25;
  d->ChannelScale[3] = 0;
  d->ChannelScale[4] = std::numeric_limits<float>::infinity();
  d->ScanBuffer[5 * d->ScanStride + 1] = 200;       // channel 2, scan 5
  d->SlaveScanBuffer[5 * d->ScanStride + 1] = 150;  // channel 10, scan 5
  d->ScanBuffer[5 * d->ScanStride + 2] = 900;
  d->ScanBuffer[5 * d->ScanStride + 3] = 900;
  EXPECT_EQ(daq::ChannelSampleG(*d, 2, 5), 2.0);
  EXPECT_EQ(daq::ChannelSampleG(*d, 10, 5), 2.0);
  EXPECT_EQ(daq::ChannelSampleG(*d, 3, 5), 0.0);
  EXPECT_EQ(daq::ChannelSampleG(*d, 4, 5), 0.0);
  EXPECT_EQ(daq::ChannelSampleG(*d, 2, daq::kScanCount), 0.0);
  EXPECT_EQ(daq::ChannelSampleG(*d, 2, -1), 0.0);
  EXPECT_EQ(daq::ChannelSampleG(*d, 17, 5), 0.0);
}

}  // namespace
