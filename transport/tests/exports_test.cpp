// The exports that answer without a proxy: null and unknown handles,
// address resolution, error texts and refused arguments.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "transport/zellink.h"

namespace {

// Values that are not handles of this process: null and a stray pointer.
ClientHandle strayHandle() {
  static int notAHandle = 0;
  return reinterpret_cast<ClientHandle>(&notAHandle);
}

TEST(NoHandle, GettersAnswerTheirNoValueResults) {
  struct Getter {
    const char* name;
    int32_t (*get)(ClientHandle);
    int32_t expected;
  };
  const Getter getters[] = {
      {"os type", GetClientOSType, 8},
      {"protocol type", GetClientProtocolType, 3},
      {"version", GetClientVersion, 0},
      {"architecture", GetClientArchitectureType, 0},
      {"security type", GetClientSecurityType, 0},
      {"code page", GetClientCodePage, 0},
      {"rights", GetViewerRights, 0},
      {"user security", GetUserSecurity, 0},
      {"encryption", IsEncryptionEnabled, 0},
      {"loaded code", GetLoadedCodeType, 0},
      {"terminate", TerminateSessionWithClient, 0},
      {"reset", ResetClientHandle, 0},
  };
  for (ClientHandle handle : {ClientHandle{nullptr}, strayHandle()}) {
    for (const Getter& getter : getters) {
      EXPECT_EQ(getter.get(handle), getter.expected) << getter.name;
    }
  }
}

TEST(NoHandle, DataFunctionsFailWithoutTouchingBuffers) {
  for (ClientHandle handle : {ClientHandle{nullptr}, strayHandle()}) {
    char buffer[64];
    std::memset(buffer, 'x', sizeof(buffer));
    EXPECT_EQ(RecvBuffer(handle, buffer, sizeof(buffer), 10), -1);
    EXPECT_EQ(SendBuffer(handle, buffer, 8), 0);
    EXPECT_EQ(MakeRequestToUser(handle, buffer, 8, sizeof(buffer), 10), 0);
    EXPECT_EQ(GetClientAddrString(handle, buffer, sizeof(buffer)), 0);
    EXPECT_EQ(GetClientDescriptiveName(handle, buffer, sizeof(buffer)), 0);
    EXPECT_EQ(GetClientUserName(handle, buffer, sizeof(buffer)), 0);
    EXPECT_EQ(SetClientDescriptiveName(handle, "name"), 0);
    EXPECT_EQ(LogClientMessage(handle, ZEL_MESSAGE_INFORMATION, "text %d", 1), 0);
    uint32_t tick = 0;
    uint32_t flags = 0;
    EXPECT_EQ(ReadLogMessage(handle, &tick, &flags, buffer, sizeof(buffer)), -1);
    EXPECT_EQ(SetClientDiagnostic(handle, 3, 0xFF), 0);
    EXPECT_EQ(std::string(buffer, 4), "xxxx");
    EXPECT_EQ(GetSecurityString(handle, buffer, sizeof(buffer)), 0);
    EXPECT_EQ(buffer[0], '\0') << "the security string buffer is cleared first";
    ZelSessionInfoRecord info{};
    EXPECT_EQ(GetSessionInfo(handle, &info), 0);
    SetLoadedCodeType(handle, 3);
    CancelTNMPRequest(handle);
    CloseClientHandle(handle);
    ResetHandle(handle);
  }
}

TEST(Open, AddressListsWithoutAnyUsableItemGiveBadAddress) {
  const char* lists[] = {"", ";;", "1.2.3.256", "0000ABCD:00C0F01234",
                         "1.2.3.256;;ZZZZZZZZ:00C0F0123456"};
  for (const char* list : lists) {
    int32_t code = 99;
    EXPECT_EQ(GetClientHandleEx(list, 0, 0, &code), nullptr) << list;
    EXPECT_EQ(code, ZEL_ERR_BAD_ADDRESS) << list;
  }
  int32_t code = 99;
  EXPECT_EQ(GetClientHandleEx(nullptr, 0, 0, &code), nullptr);
  EXPECT_EQ(code, ZEL_ERR_BAD_ADDRESS);
  EXPECT_EQ(GetClientHandle(nullptr, 0), nullptr);
}

TEST(ResolveAddress, FormatsTheFirstAddressOfTheText) {
  struct Case {
    const char* text;
    int32_t result;
    const char* formatted;
  };
  const Case cases[] = {
      {"10.0.0.5", 1, "10.0.0.5"},
      {"10.0.0.5:1800", 1, "10.0.0.5"},
      {"10.0.0.5;10.0.0.6", 1, "10.0.0.5"},
      {";10.0.0.7", 1, "10.0.0.7"},
      {"0000abcd:00c0f0123456", 1, "0000ABCD:00C0F0123456"},
      {"0000ABCD:00C0F0123456#1234", 1, "0000ABCD:00C0F0123456"},
      {"localhost", 1, "127.0.0.1"},
      {"localhost:1800", 1, "127.0.0.1"},
      {"10.0.0.256", 0, ""},
      {"localhost:80", 0, ""},  // a colon part of three characters: IPX, and invalid
      {"", 0, ""},
  };
  for (const Case& c : cases) {
    char buffer[32] = "unchanged";
    EXPECT_EQ(ResolveAddress(c.text, buffer, sizeof(buffer)), c.result) << c.text;
    if (c.result == 1) {
      EXPECT_STREQ(buffer, c.formatted) << c.text;
    }
  }
  char small[16];
  EXPECT_EQ(ResolveAddress("10.0.0.5", small, sizeof(small)), 1);
  EXPECT_STREQ(small, "10.0.0.5");
  char tooSmall[15];
  std::memset(tooSmall, 'x', sizeof(tooSmall));
  EXPECT_EQ(ResolveAddress("10.0.0.5", tooSmall, sizeof(tooSmall)), 1);
  EXPECT_STREQ(tooSmall, "") << "a formatted text needs a buffer of more than 15 bytes";
  EXPECT_EQ(ResolveAddress(nullptr, small, sizeof(small)), 0);
}

TEST(ErrorMessages, TextsAreCutToTheBuffer) {
  char buffer[128];
  EXPECT_EQ(GetTNMPErrorMessage(-18, buffer, sizeof(buffer)), 1);
  EXPECT_STREQ(buffer, "You cannot access the local machine using this remote tool.");
  EXPECT_EQ(GetTNMPErrorMessage(-8, buffer, sizeof(buffer)), 1);
  const std::string eight = buffer;
  EXPECT_EQ(GetTNMPErrorMessage(-9, buffer, sizeof(buffer)), 1);
  EXPECT_EQ(eight, buffer);
  EXPECT_EQ(GetTNMPErrorMessage(65534, buffer, sizeof(buffer)), 1);
  EXPECT_STREQ(buffer, "Unable to send a request to the client.");
  EXPECT_EQ(GetTNMPErrorMessage(0, buffer, sizeof(buffer)), 1);
  EXPECT_STREQ(buffer, "");
  char cut[7];
  EXPECT_EQ(GetTNMPErrorMessage(-12, cut, sizeof(cut)), 1);
  EXPECT_STREQ(cut, "Remote");
  EXPECT_EQ(GetTNMPErrorMessage(-12, nullptr, 10), 1);
}

TEST(LaterStages, FailCleanly) {
  EXPECT_NE(ConnectToClient(nullptr, nullptr, 1), 0);
  EXPECT_EQ(InitializeSecurity(nullptr, 4, 1), 0);
  EXPECT_EQ(ResetClientSecurity(nullptr), 0);
  EXPECT_EQ(DownLoadNewCode(1, nullptr), 0);
  EXPECT_EQ(LogClientMessageEx(nullptr, nullptr, 0x40, 33), 0);
  EXPECT_EQ(CancelTNMPRequestEx("10.0.0.5"), 0);
  EXPECT_EQ(CancelTNMPRequestEx(nullptr), 0);
  EXPECT_EQ(GetClientInformation("10.0.0.5", nullptr), 0);
}

}  // namespace
