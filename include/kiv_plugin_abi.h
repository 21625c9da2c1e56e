/*
 * kiv_plugin_abi.h: the C boundary between a plugin library and its host.
 *
 * This header is the whole contract between the host process and a plugin:
 * the load record the host passes to the plugin's exported entry point, the
 * entry table the plugin hands back, the host's function table, and every
 * record that crosses in either direction. It is plain C99 (and C++) with no
 * C++ types, so a host written in any language can mirror it.
 *
 * Layout rule: every 32-bit word of the original record is a field of its own,
 * in order; numbers are `uint32_t` (or `int32_t`), addresses are pointers. On
 * i386 every record has exactly the original size and offsets (checked below
 * when compiled with -m32); on x86-64 the address fields widen to 8 bytes.
 *
 * OWNERSHIP, in one place:
 *  - A value tree passed as an argument of a call (request parameters, an
 *    event body, an incoming request) belongs to the caller and is valid only
 *    until the call returns.
 *  - A value tree placed in a `ResponseRecord` belongs to whoever filled the
 *    record and stays valid until that record's `release` function has been
 *    called; the other side calls `release` exactly once.
 *  - Everything the load call hands out (entry table, module, short name, API
 *    description) belongs to the plugin and is valid until `Shutdown` returns.
 *
 * Usage (host side):
 *
 *   PluginLoadRecord record = {18, 0, 0};
 *   load_kiv_joust(&record);
 *   HostContext context = {&myHostApi, myPluginHandle};
 *   if (record.entries->Initialize(record.module, &context)) { ... }
 *   record.entries->Shutdown(record.module);
 */
#ifndef KIV_PLUGIN_ABI_H
#define KIV_PLUGIN_ABI_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Values ------------------------------------------------------------ */

/* Tags of a HostValue. The plugin writes the first of each pair (5, 7);
 * it accepts both. */
enum {
  KIV_VALUE_EMPTY = 0,
  KIV_VALUE_BOOL = 1,
  KIV_VALUE_SIGNED = 2,
  KIV_VALUE_UNSIGNED = 3,
  KIV_VALUE_FLOAT = 4,
  KIV_VALUE_TEXT = 5,
  KIV_VALUE_TEXT_ALT = 6,
  KIV_VALUE_BYTES = 7,
  KIV_VALUE_BYTES_ALT = 8,
  KIV_VALUE_COLLECTION = 9,
  KIV_VALUE_STRUCTURE = 10
};

typedef struct HostValue HostValue;
typedef struct HostMember HostMember;

#pragma pack(push, 1)
/* A tagged value: 12 bytes on i386, 16 on x86-64. A text ends at its first
 * NUL or at `size`, whichever comes first. */
struct HostValue {
  uint32_t tag;
  union {
    uint8_t boolean;
    int64_t signedValue;
    uint64_t unsignedValue;
    double floatValue;
    struct {
      const char* data; /* borrowed, see OWNERSHIP */
      uint32_t size;
    } text;
    struct {
      const uint8_t* data; /* borrowed */
      uint32_t size;
    } bytes;
    struct {
      HostValue* items; /* borrowed */
      uint32_t count;
    } collection;
    struct {
      HostMember* members; /* borrowed; in the structure's key order */
      uint32_t count;
    } structure;
  } u;
};
#pragma pack(pop)

/* A structure member, and also a request's parameter entry: a null `name`
 * makes the parameter positional. 16 bytes on i386. */
struct HostMember {
  const char* name; /* borrowed */
  HostValue value;
};

typedef struct HostHeader {
  const char* name;  /* borrowed */
  const char* value; /* borrowed */
} HostHeader;

/* ---- Requests and responses --------------------------------------------- */

/* Request method codes; anything else is sent as 0. */
enum {
  KIV_METHOD_NONE = 0,
  KIV_METHOD_DELETE = 1,
  KIV_METHOD_GET = 2,
  KIV_METHOD_HEAD = 3,
  KIV_METHOD_OPTIONS = 4,
  KIV_METHOD_PATCH = 5,
  KIV_METHOD_POST = 6,
  KIV_METHOD_PUT = 7,
  KIV_METHOD_CUSTOM = 8
};

/* A request from the plugin to another plugin (twelve words). Words 5 to 10
 * and 12 are reserved and zero. */
typedef struct RequestRecord {
  uint32_t method;
  const char* url;          /* borrowed, NUL-terminated path */
  const HostMember* params; /* borrowed, `paramCount` entries */
  uint32_t paramCount;
  uint32_t reserved5[6];
  void* pluginHandle;
  uint32_t reserved12;
} RequestRecord;

typedef struct ResponseRecord ResponseRecord;

/* Reads up to *inOutCount bytes of a streamed body into `buffer`, stores the
 * number read in *inOutCount and clears *more after the last chunk. Returns
 * 0 on failure. */
typedef uint8_t (*StreamRead)(void* stream, uint8_t* buffer, uint32_t* inOutCount, uint8_t* more);
typedef void (*StreamClose)(void* stream);

#pragma pack(push, 1)
/* The answer to a request, filled by the side that answers (62 bytes on
 * i386). That side owns everything the record points to and frees it in
 * `release`, which the other side calls exactly once. */
struct ResponseRecord {
  HostValue body;
  const char* error; /* null on success */
  uint8_t unused;
  uint8_t bodyKindFlag;
  uint32_t bodyKind;
  uint32_t status;
  const char* statusText;
  const HostHeader* headers;
  uint32_t headerCount;
  StreamRead read; /* null for a body that is not streamed */
  StreamClose close;
  uint32_t expectedSize; /* capacity hint for a streamed body */
  uint32_t zero;
  void* stream;
  void (*release)(ResponseRecord* response);
};
#pragma pack(pop)

/* A request from the host to one of the plugin's endpoints. */
typedef struct IncomingRequest {
  uint32_t method;
  const char* customMethod;
  const char* url; /* path plus an optional "?" query */
  const HostHeader* headers;
  uint32_t headerCount;
  const HostMember* args;
  uint32_t argCount;
  const uint8_t* body;
  uint32_t bodySize;
  const char* contentType;
  uint64_t requestId;
} IncomingRequest;

/* Serves one incoming request; `userData` is the endpoint's registration as
 * the API description handed it out. */
typedef void (*RequestCallback)(void* userData, ResponseRecord* response,
                                const IncomingRequest* request);

/* ---- Events -------------------------------------------------------------- */

typedef struct EventRecord {
  const char* name; /* borrowed */
  HostValue body;   /* borrowed */
  uint32_t flags;
} EventRecord;

typedef void (*EventCallback)(const char* name, const HostValue* body, uint32_t flags,
                              void* userData);

/* ---- The host's function table -------------------------------------------- */

typedef struct HostApi HostApi;

/* Ten functions in a fixed order; each takes the table itself first. */
struct HostApi {
  void (*SendRequest)(HostApi* api, ResponseRecord* response, const RequestRecord* request);
  void (*Reserved2)(HostApi* api); /* never called */
  void (*DispatchEvent)(HostApi* api, const EventRecord* event);
  void (*AddEventListener)(HostApi* api, const char* name, void* pluginHandle,
                           EventCallback callback, void* userData, uint32_t flags);
  void (*RemoveEventListener)(HostApi* api, const char* name, void* pluginHandle);
  void (*ScheduleCallback)(HostApi* api, const char* label, void (*callback)(void* userData),
                           void* userData, double delaySeconds, uint32_t zero);
  void (*PumpOnce)(HostApi* api);
  void (*BeginWait)(HostApi* api, const char* label, uint32_t zero);
  void (*EndWait)(HostApi* api);
  void (*WriteLog)(HostApi* api, int32_t level, const char* message);
};

typedef struct HostContext {
  HostApi* api;
  void* pluginHandle; /* opaque; passed back where the host asks for it */
} HostContext;

/* ---- API description ------------------------------------------------------ */

/* One endpoint (or built-in function: name space "$builtin", method 0 and an
 * empty URL template). `help` is the value form of its help record. */
typedef struct ApiFunction {
  const char* name;
  const char* nameSpace;
  uint32_t method;
  const char* customMethod;
  const char* urlTemplate;
  RequestCallback callback;
  void* userData;
  HostValue help;
} ApiFunction;

/* Built by the plugin at load and owned by it until `Shutdown` returns. Each
 * type and event is the value form of its help record. */
typedef struct ApiDescription {
  const ApiFunction* functions;
  uint32_t functionCount;
  const HostValue* types;
  uint32_t typeCount;
  const HostValue* events;
  uint32_t eventCount;
} ApiDescription;

/* ---- Load record and entry table ------------------------------------------ */

typedef struct PluginEntryTable {
  /* Returns nonzero when the plugin started. */
  uint8_t (*Initialize)(void* module, const HostContext* context);
  void (*Shutdown)(void* module);
  /* Six 64-bit counters as twelve words (low word first), then two zeros. */
  void (*GetMemoryStats)(void* module, uint32_t out[14]);
} PluginEntryTable;

/* In: the host's plugin API version. Out: the plugin's version, its entry
 * table, module handle, short name and API description. */
typedef struct PluginLoadRecord {
  uint32_t major;
  uint32_t minor;
  uint32_t patch;
  const PluginEntryTable* entries;
  void* module;
  const char* shortName;
  const ApiDescription* api;
} PluginLoadRecord;

/* The plugin's one exported function. It aborts the process when the host's
 * plugin API version is incompatible. */
void load_kiv_joust(PluginLoadRecord* record);
typedef void (*LoadFunction)(PluginLoadRecord* record);

/* ---- Layout checks ---------------------------------------------------------- */

#ifdef __cplusplus
#define KIV_ABI_STATIC_ASSERT(c, m) static_assert(c, m)
#else
#define KIV_ABI_STATIC_ASSERT(c, m) _Static_assert(c, m)
#endif

#if defined(__i386__)
KIV_ABI_STATIC_ASSERT(sizeof(HostValue) == 12, "HostValue is 12 bytes");
KIV_ABI_STATIC_ASSERT(sizeof(HostMember) == 16, "HostMember is 16 bytes");
KIV_ABI_STATIC_ASSERT(offsetof(HostMember, value) == 4, "member value");
KIV_ABI_STATIC_ASSERT(sizeof(HostHeader) == 8, "header is two words");
KIV_ABI_STATIC_ASSERT(sizeof(RequestRecord) == 48, "twelve words");
KIV_ABI_STATIC_ASSERT(offsetof(RequestRecord, pluginHandle) == 40, "word 11 is the plugin handle");
KIV_ABI_STATIC_ASSERT(sizeof(ResponseRecord) == 62, "62 bytes, packed");
KIV_ABI_STATIC_ASSERT(offsetof(ResponseRecord, error) == 12, "error");
KIV_ABI_STATIC_ASSERT(offsetof(ResponseRecord, unused) == 16, "byte 16");
KIV_ABI_STATIC_ASSERT(offsetof(ResponseRecord, bodyKindFlag) == 17, "flag");
KIV_ABI_STATIC_ASSERT(offsetof(ResponseRecord, bodyKind) == 18, "kind");
KIV_ABI_STATIC_ASSERT(offsetof(ResponseRecord, status) == 22, "status");
KIV_ABI_STATIC_ASSERT(offsetof(ResponseRecord, statusText) == 26, "text");
KIV_ABI_STATIC_ASSERT(offsetof(ResponseRecord, headers) == 30, "headers");
KIV_ABI_STATIC_ASSERT(offsetof(ResponseRecord, headerCount) == 34, "count");
KIV_ABI_STATIC_ASSERT(offsetof(ResponseRecord, read) == 38, "read");
KIV_ABI_STATIC_ASSERT(offsetof(ResponseRecord, close) == 42, "close");
KIV_ABI_STATIC_ASSERT(offsetof(ResponseRecord, expectedSize) == 46, "hint");
KIV_ABI_STATIC_ASSERT(offsetof(ResponseRecord, zero) == 50, "zero");
KIV_ABI_STATIC_ASSERT(offsetof(ResponseRecord, stream) == 54, "stream");
KIV_ABI_STATIC_ASSERT(offsetof(ResponseRecord, release) == 58, "release");
KIV_ABI_STATIC_ASSERT(sizeof(EventRecord) == 20, "event record");
KIV_ABI_STATIC_ASSERT(sizeof(HostApi) == 40, "ten functions");
KIV_ABI_STATIC_ASSERT(sizeof(HostContext) == 8, "two words");
KIV_ABI_STATIC_ASSERT(sizeof(PluginEntryTable) == 12, "three functions");
KIV_ABI_STATIC_ASSERT(sizeof(PluginLoadRecord) == 28, "seven words");
KIV_ABI_STATIC_ASSERT(sizeof(ApiDescription) == 24, "six words");
#elif defined(__x86_64__)
KIV_ABI_STATIC_ASSERT(sizeof(HostValue) == 16, "HostValue is 16 bytes");
KIV_ABI_STATIC_ASSERT(sizeof(HostMember) == 24, "HostMember is 24 bytes");
KIV_ABI_STATIC_ASSERT(sizeof(HostHeader) == 16, "header");
KIV_ABI_STATIC_ASSERT(sizeof(RequestRecord) == 72, "request record");
KIV_ABI_STATIC_ASSERT(sizeof(ResponseRecord) == 94, "response record");
KIV_ABI_STATIC_ASSERT(sizeof(EventRecord) == 32, "event record");
KIV_ABI_STATIC_ASSERT(sizeof(HostApi) == 80, "ten functions");
KIV_ABI_STATIC_ASSERT(sizeof(HostContext) == 16, "two words");
KIV_ABI_STATIC_ASSERT(sizeof(PluginEntryTable) == 24, "three functions");
KIV_ABI_STATIC_ASSERT(sizeof(PluginLoadRecord) == 48, "seven words");
KIV_ABI_STATIC_ASSERT(sizeof(ApiDescription) == 48, "six words");
#endif

#undef KIV_ABI_STATIC_ASSERT

#ifdef __cplusplus
}
#endif

#endif /* KIV_PLUGIN_ABI_H */
