/* The session transport library: the client interface through which every
 * tool opens a numbered channel of a session with a remote-control agent,
 * sends and receives messages on it and runs request/reply transactions. All
 * traffic goes through the proxy program zelrelay, which the library finds or
 * starts on demand.
 *
 * Plain C functions, ANSI strings, 32-bit integers. A ClientHandle is an
 * opaque pointer-sized value owned by the calling process; null means
 * failure. No function lets a C++ exception escape. */
#ifndef ZEL_TRANSPORT_ZELLINK_H
#define ZEL_TRANSPORT_ZELLINK_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(ZELLINK_BUILDING_LIBRARY)
#define ZELLINK_API __attribute__((visibility("default")))
#else
#define ZELLINK_API
#endif

/* One channel of one agent session. */
typedef struct ZelClientHandle* ClientHandle;
/* A window that owns dialogs (may be null). */
typedef void* ZelWindow;
/* A module whose text table holds a message (may be null: zellink's own). */
typedef void* ZelModule;
/* A handle value of the kernel-object layer (0: none). */
typedef uint32_t ZelKernelHandle;

/* ---- channel types ---- */
#define ZEL_CHANNEL_REMOTE_CONTROL 0
#define ZEL_CHANNEL_CHAT 1
#define ZEL_CHANNEL_REBOOT 2
#define ZEL_CHANNEL_FILE_TRANSFER 3
#define ZEL_CHANNEL_SESSION_INFO 4
#define ZEL_CHANNEL_RESERVED 5 /* the only channel that may address this machine */
#define ZEL_CHANNEL_REMOTE_EXECUTE 6
/* Only as 0x08000003: file transfer without asking the agent's user. */
#define ZEL_NO_PERMISSION_PROMPT 0x08000000

/* ---- viewer rights ---- */
#define ZEL_RIGHT_REMOTE_CONTROL 0x01
#define ZEL_RIGHT_CHAT 0x10
#define ZEL_RIGHT_FILE_TRANSFER 0x20
#define ZEL_RIGHT_REBOOT 0x40
#define ZEL_RIGHT_RUN_PROGRAMS 0x80

/* ---- user security ---- */
#define ZEL_USER_SECURITY_ASK_PERMISSION 0x01

/* ---- security types ---- */
#define ZEL_SECURITY_NONE 0
#define ZEL_SECURITY_NT 2
#define ZEL_SECURITY_NT_PLAIN 3
#define ZEL_SECURITY_CERTIFICATE 4
#define ZEL_SECURITY_NETWARE 5
#define ZEL_SECURITY_SESSION_KEY 6

/* ---- protocol types ---- */
#define ZEL_PROTOCOL_IPX 1
#define ZEL_PROTOCOL_TCP 3
#define ZEL_PROTOCOL_UDP 4

/* ---- agent OS types with a meaning of their own ---- */
#define ZEL_OS_ACCEPTS_CODE 1
#define ZEL_OS_NO_HANDLE 8 /* answered for a null or closing handle */
#define ZEL_OS_LIMITED 16
#define ZEL_OS_REDUCED_OLD 128

/* ---- message flags ---- */
#define ZEL_MESSAGE_ERROR 0x10
#define ZEL_MESSAGE_WARNING 0x30
#define ZEL_MESSAGE_INFORMATION 0x40
#define ZEL_MESSAGE_POP_UP 0x10000

/* ---- error codes of opening and connecting ---- */
#define ZEL_OK 0
#define ZEL_ERR_CHANNEL_HELD 1
#define ZEL_ERR_FAILED (-1)
#define ZEL_ERR_AGENT_BUSY (-2)
#define ZEL_ERR_NO_RIGHTS (-8)
#define ZEL_ERR_NO_CHANNEL_RIGHT (-9)
#define ZEL_ERR_NETWARE_MISSING (-10)
#define ZEL_ERR_NETWARE_UNREADABLE (-11)
#define ZEL_ERR_PERMISSION_DENIED (-12)
#define ZEL_ERR_PERMISSION_TIMED_OUT (-13)
#define ZEL_ERR_PERMISSION_UNAVAILABLE (-14)
#define ZEL_ERR_NOT_SUPPORTED (-15)
#define ZEL_ERR_BAD_ADDRESS (-16)
#define ZEL_ERR_NO_AGENT (-17)
#define ZEL_ERR_LOCAL_MACHINE (-18)

/* ---- RecvBuffer notifications ---- */
#define ZEL_NOTIFY_CONNECTION_LOST (-1)
#define ZEL_NOTIFY_VIEW_RESET (-2)
#define ZEL_NOTIFY_SESSION_ENDED (-3)
#define ZEL_NOTIFY_ONLY_FILE_TRANSFER (-4)
#define ZEL_NOTIFY_NAMES_CHANGED (-5)

/* ---- records ---- */
#pragma pack(push, 1)
typedef struct ZelSessionInfoRecord {
  uint16_t interfaceVersion; /* always 1 */
  uint16_t reserved;
  uint32_t elapsedMs; /* since the proxy created the session */
  uint32_t sendRequests;
  uint32_t bytesSent;
  uint32_t messagesDelivered;
  uint32_t bytesDelivered;
} ZelSessionInfoRecord; /* 24 bytes */

typedef struct ZelClientListRecord {
  char address[81];
  char machineName[81]; /* lower-cased */
  char userName[81];    /* empty when nobody is logged on */
  uint8_t padding;
  uint32_t openChannels; /* bit n: channel n is open */
} ZelClientListRecord;   /* 248 bytes */

/* GetClientInformation: set `copyLength` (the first u16 of the buffer) to the
 * number of bytes wanted, at most sizeof(ZelClientInfoRecord). */
typedef struct ZelClientInfoRecord {
  uint16_t copyLength; /* overwritten by the copy: the head of the address text */
  char requestHead[6];
  uint32_t connected;
  uint32_t protocolType;
  uint32_t osType;
  uint32_t securityType;
  uint32_t viewerRights;
  uint32_t userSecurity;
  uint16_t agentVersion;
  char securityString[260];
  char address[81];
} ZelClientInfoRecord; /* 375 bytes */
#pragma pack(pop)

/* ---- handle life cycle ---- */
ZELLINK_API ClientHandle GetClientHandleEx(const char* addressList, int32_t channelType,
                                           ZelKernelHandle abortEvent, int32_t* errorCode);
ZELLINK_API ClientHandle GetClientHandle(const char* addressList, int32_t channelType);
ZELLINK_API int32_t ConnectToClient(ClientHandle handle, ZelWindow owner, int32_t allowCoreService);
ZELLINK_API void CloseClientHandle(ClientHandle handle);
ZELLINK_API int32_t TerminateSessionWithClient(ClientHandle handle);
ZELLINK_API int32_t ResetClientHandle(ClientHandle handle);
ZELLINK_API void ResetHandle(ClientHandle handle);
ZELLINK_API void CancelTNMPRequest(ClientHandle handle);
ZELLINK_API int32_t CancelTNMPRequestEx(const char* formattedAddress);

/* ---- data ---- */
ZELLINK_API int32_t SendBuffer(ClientHandle handle, const void* data, int32_t length);
ZELLINK_API int32_t RecvBuffer(ClientHandle handle, void* destination, int32_t destinationSize,
                               int32_t timeoutMs);
ZELLINK_API int32_t MakeRequestToUser(ClientHandle handle, void* buffer, int32_t requestLength,
                                      int32_t maxReplyLength, int32_t timeoutMs);

/* ---- session information ---- */
ZELLINK_API int32_t GetClientAddrString(ClientHandle handle, char* buffer, int32_t size);
ZELLINK_API int32_t ResolveAddress(const char* address, char* buffer, int32_t size);
ZELLINK_API int32_t GetClientVersion(ClientHandle handle);
ZELLINK_API int32_t GetClientOSType(ClientHandle handle);
ZELLINK_API int32_t GetClientProtocolType(ClientHandle handle);
ZELLINK_API int32_t GetClientArchitectureType(ClientHandle handle);
ZELLINK_API int32_t GetClientSecurityType(ClientHandle handle);
ZELLINK_API int32_t GetClientCodePage(ClientHandle handle);
ZELLINK_API int32_t GetViewerRights(ClientHandle handle);
ZELLINK_API int32_t GetUserSecurity(ClientHandle handle);
ZELLINK_API int32_t IsEncryptionEnabled(ClientHandle handle);
ZELLINK_API int32_t GetLoadedCodeType(ClientHandle handle);
ZELLINK_API void SetLoadedCodeType(ClientHandle handle, int32_t codeType);
ZELLINK_API int32_t GetSecurityString(ClientHandle handle, char* buffer, int32_t size);
ZELLINK_API int32_t GetClientDescriptiveName(ClientHandle handle, char* buffer, int32_t size);
ZELLINK_API int32_t SetClientDescriptiveName(ClientHandle handle, const char* name);
ZELLINK_API int32_t GetClientUserName(ClientHandle handle, char* buffer, int32_t size);
ZELLINK_API int32_t GetSessionInfo(ClientHandle handle, ZelSessionInfoRecord* record);
ZELLINK_API int32_t EnumConnectedClients(ZelClientListRecord* records, int32_t capacity);
ZELLINK_API int32_t GetClientInformation(const char* formattedAddress, void* record);

/* ---- messages and texts ---- */
ZELLINK_API int32_t LogClientMessage(ClientHandle handle, uint32_t flags, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
ZELLINK_API int32_t LogClientMessageEx(ZelModule module, ClientHandle handle, uint32_t flags,
                                       uint32_t textNumber, ...);
ZELLINK_API int32_t ReadLogMessage(ClientHandle handle, uint32_t* tick, uint32_t* flags, char* text,
                                   int32_t size);
ZELLINK_API int32_t SetClientDiagnostic(ClientHandle handle, uint8_t code, uint8_t value);
ZELLINK_API int32_t GetTNMPErrorMessage(int32_t code, char* buffer, int32_t size);

/* ---- security and agent code ---- */
ZELLINK_API int32_t InitializeSecurity(ZelWindow notifyWindow, int32_t securityType,
                                       int32_t enable);
ZELLINK_API int32_t ResetClientSecurity(ClientHandle handle);
ZELLINK_API int32_t DownLoadNewCode(int32_t codeType, ClientHandle handle);

#ifdef __cplusplus
}
#endif

#endif /* ZEL_TRANSPORT_ZELLINK_H */
