// The platform calls CSerialCom makes, in order and with their values,
// recorded by a comm driver that stands in for the termios ports.
#include "platform/core/last_error.h"
#include "serial/serial_com.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string Hex(DWORD value) {
  char text[16];
  std::snprintf(text, sizeof text, "%X", value);
  return text;
}

struct Recorder {
  std::vector<std::string> calls;
  std::string failing;  // the call that fails, by name
  DCB driverState{};

  BOOL Result(const std::string& name, std::string call) {
    calls.push_back(std::move(call));
    if (name != failing) return TRUE;
    SetLastError(ERROR_GEN_FAILURE);
    return FALSE;
  }
};

class RecordingPort : public CommPort {
 public:
  RecordingPort(Recorder& recorder, std::wstring name) : r_(recorder), name_(std::move(name)) {}
  ~RecordingPort() override { r_.calls.push_back("CloseHandle " + Narrow()); }

  BOOL GetState(DCB* dcb) override {
    std::string call = "GetCommState DCBlength=" + std::to_string(dcb->DCBlength);
    *dcb = r_.driverState;
    return r_.Result("GetCommState", call);
  }
  BOOL SetState(const DCB& d) override {
    return r_.Result("SetCommState", "SetCommState " + std::to_string(d.BaudRate) + " flags=" + Hex(DcbFlags(d)) + " " +
                                         std::to_string(d.ByteSize) + "," + std::to_string(d.Parity) + "," +
                                         std::to_string(d.StopBits) + " XonLim=" + std::to_string(d.XonLim) +
                                         " XonChar=" + std::to_string(d.XonChar) +
                                         " EvtChar=" + std::to_string(d.EvtChar));
  }
  BOOL SetTimeouts(const COMMTIMEOUTS& t) override {
    return r_.Result("SetCommTimeouts", "SetCommTimeouts " + Hex(t.ReadIntervalTimeout) + "," +
                                            Hex(t.ReadTotalTimeoutMultiplier) + "," + Hex(t.ReadTotalTimeoutConstant) +
                                            "," + std::to_string(t.WriteTotalTimeoutMultiplier) + "," +
                                            std::to_string(t.WriteTotalTimeoutConstant));
  }
  BOOL Purge(DWORD flags) override { return r_.Result("PurgeComm", "PurgeComm " + Hex(flags)); }
  BOOL Escape(DWORD function) override {
    return r_.Result("EscapeCommFunction", "EscapeCommFunction " + std::to_string(function));
  }
  BOOL SetMask(DWORD mask) override { return r_.Result("SetCommMask", "SetCommMask " + Hex(mask)); }
  BOOL Read(void*, DWORD toRead, DWORD* read) override {
    *read = 0;
    return r_.Result("ReadFile", "ReadFile " + std::to_string(toRead));
  }
  BOOL Write(const void*, DWORD toWrite, DWORD* written) override {
    *written = toWrite;
    return r_.Result("WriteFile", "WriteFile " + std::to_string(toWrite));
  }

 private:
  std::string Narrow() const { return std::string(name_.begin(), name_.end()); }
  Recorder& r_;
  std::wstring name_;
};

class SerialComCalls : public ::testing::Test {
 protected:
  void SetUp() override {
    recorder.driverState.DCBlength = 28;
    recorder.driverState.BaudRate = 9600;
    SetDcbFlags(recorder.driverState, 0x5A5AFFFFu);
    recorder.driverState.XonLim = 2048;
    recorder.driverState.XonChar = 17;
    recorder.driverState.EvtChar = 42;
    recorder.driverState.ByteSize = 7;
    recorder.driverState.Parity = 2;
    recorder.driverState.StopBits = 2;
    CoreSetCommOpener([this](LPCWSTR name, DWORD access, DWORD share, DWORD creation, DWORD flags) {
      std::wstring wide(name);
      std::string narrow(wide.begin(), wide.end());
      bool ok = recorder.Result("CreateFileW", "CreateFileW " + narrow + " " + Hex(access) + " " + Hex(share) + " " +
                                                   Hex(creation) + " " + Hex(flags));
      return ok ? std::make_unique<RecordingPort>(recorder, wide) : nullptr;
    });
  }
  void TearDown() override { CoreSetCommOpener(nullptr); }

  std::vector<std::string> OpenCalls(const std::string& port) {
    return {"CreateFileW " + port + " C0000000 0 3 0",
            "GetCommState DCBlength=28",
            "SetCommState 4800 flags=5A5A9093 8,0,0 XonLim=2048 XonChar=17 EvtChar=42",
            "SetCommTimeouts FFFFFFFF,0,0,10,1000",
            "PurgeComm C",
            "EscapeCommFunction 5",
            "EscapeCommFunction 3"};
  }
  std::vector<std::string> CloseCalls(const std::string& port) {
    return {"SetCommMask 0", "EscapeCommFunction 4", "EscapeCommFunction 6", "PurgeComm C", "CloseHandle " + port};
  }
  static std::vector<std::string> Join(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
  }

  Recorder recorder;
};

TEST_F(SerialComCalls, OpenConfiguresThePortInTheHandheldsOrder) {
  CSerialCom serial;
  EXPECT_EQ(serial.m_hCom, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(serial.Open(L"COM3:", 4800, 8, 0, 0));
  EXPECT_NE(serial.m_hCom, INVALID_HANDLE_VALUE);
  EXPECT_EQ(recorder.calls, OpenCalls("COM3:"));
}

TEST_F(SerialComCalls, CloseDropsRtsThenDtrPurgesAndClosesOnce) {
  CSerialCom serial;
  ASSERT_TRUE(serial.Open(L"COM3:", 4800, 8, 0, 0));
  recorder.calls.clear();
  EXPECT_TRUE(serial.Close());
  EXPECT_EQ(serial.m_hCom, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(serial.Close());
  EXPECT_EQ(recorder.calls, CloseCalls("COM3:")) << "the second Close does nothing";
}

TEST_F(SerialComCalls, FailedStepLeavesTheObjectClosed) {
  struct Case {
    const char* failing;
    bool opens;
    std::vector<std::string> calls;
  };
  auto open = OpenCalls("COM3:");
  const Case cases[] = {
      {"CreateFileW", false, {open[0]}},
      {"GetCommState", false, {open[0], open[1], "CloseHandle COM3:"}},
      {"SetCommState", false, {open[0], open[1], open[2], "CloseHandle COM3:"}},
      {"SetCommTimeouts", true, open},
      {"PurgeComm", true, open},
      {"EscapeCommFunction", true, open},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.failing);
    recorder.calls.clear();
    recorder.failing = c.failing;
    CSerialCom serial;
    EXPECT_EQ(serial.Open(L"COM3:", 4800, 8, 0, 0), c.opens ? TRUE : FALSE);
    EXPECT_EQ(serial.m_hCom != INVALID_HANDLE_VALUE, c.opens);
    EXPECT_EQ(recorder.calls, c.calls);
  }
}

TEST_F(SerialComCalls, ReopenClosesTheOldPortFirstEvenWhenTheNewOneFails) {
  CSerialCom serial;
  ASSERT_TRUE(serial.Open(L"COM3:", 4800, 8, 0, 0));
  recorder.calls.clear();
  ASSERT_TRUE(serial.Open(L"COM5:", 4800, 8, 0, 0));
  EXPECT_EQ(recorder.calls, Join(CloseCalls("COM3:"), OpenCalls("COM5:")));

  recorder.calls.clear();
  recorder.failing = "CreateFileW";
  EXPECT_FALSE(serial.Open(L"COM6:", 4800, 8, 0, 0));
  EXPECT_EQ(serial.m_hCom, INVALID_HANDLE_VALUE);
  EXPECT_EQ(recorder.calls, Join(CloseCalls("COM5:"), {"CreateFileW COM6: C0000000 0 3 0"}));
}

TEST_F(SerialComCalls, DestructorClosesAnOpenPort) {
  {
    CSerialCom serial;
    ASSERT_TRUE(serial.Open(L"COM3:", 4800, 8, 0, 0));
    recorder.calls.clear();
  }
  EXPECT_EQ(recorder.calls, CloseCalls("COM3:"));
}

TEST_F(SerialComCalls, ReadWriteAndStatePassThroughAndFailWhenClosed) {
  CSerialCom serial;
  char buffer[16];
  DWORD count = 99;
  EXPECT_FALSE(serial.Read(buffer, sizeof buffer, &count));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(count, 0u);
  EXPECT_FALSE(serial.Write("x", 1, &count));
  DCB dcb{};
  EXPECT_FALSE(serial.GetState(&dcb));

  ASSERT_TRUE(serial.Open(L"COM3:", 4800, 8, 0, 0));
  recorder.calls.clear();
  EXPECT_TRUE(serial.Read(buffer, sizeof buffer, &count));
  EXPECT_TRUE(serial.Write("abc", 3, &count));
  EXPECT_EQ(count, 3u);
  recorder.failing = "WriteFile";
  EXPECT_FALSE(serial.Write("abc", 3, &count)) << "the platform result is passed through";
  EXPECT_EQ(recorder.calls, (std::vector<std::string>{"ReadFile 16", "WriteFile 3", "WriteFile 3"}));
}

}  // namespace
