#include "platform/core/comm.h"

#include <gtest/gtest.h>

namespace {

// The flag word arithmetic the serial port does must land on the named bits.
TEST(Dcb, FlagWordMapsOntoTheNamedBits) {
  DCB dcb{};
  SetDcbFlags(dcb, (0xFFFFFFFFu & 0xFFFF8000u) | 0x1093u);
  EXPECT_EQ(dcb.fBinary, 1u);
  EXPECT_EQ(dcb.fParity, 1u);
  EXPECT_EQ(dcb.fOutxCtsFlow, 0u);
  EXPECT_EQ(dcb.fOutxDsrFlow, 0u);
  EXPECT_EQ(dcb.fDtrControl, DTR_CONTROL_ENABLE);
  EXPECT_EQ(dcb.fDsrSensitivity, 0u);
  EXPECT_EQ(dcb.fTXContinueOnXoff, 1u);
  EXPECT_EQ(dcb.fOutX, 0u);
  EXPECT_EQ(dcb.fInX, 0u);
  EXPECT_EQ(dcb.fErrorChar, 0u);
  EXPECT_EQ(dcb.fNull, 0u);
  EXPECT_EQ(dcb.fRtsControl, RTS_CONTROL_ENABLE);
  EXPECT_EQ(dcb.fAbortOnError, 0u);
  EXPECT_EQ(dcb.fDummy2, 0x1FFFFu);
  EXPECT_EQ(dcb.wReserved, 0u) << "the flag word does not spill into the next field";

  DCB named{};
  named.fRtsControl = RTS_CONTROL_HANDSHAKE;
  named.fAbortOnError = 1;
  EXPECT_EQ(DcbFlags(named), 0x6000u);
}

}  // namespace
