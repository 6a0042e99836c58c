/* The programming interface of libtavrin.so for hosts that load it at run time (dlopen),
 * in any language with a C foreign-function interface.
 *
 * 1. dlopen("libtavrin.so"), dlsym the entry points below (typedefs at the end) and check
 *    that TavrinInterfaceVersion() has the major number the host was written for.
 * 2. DllGetClassObject("TAVRINLib.TAVRIN" or "TAVRIN.TAVRINCtrl.1", &factory), then
 *    factory->vtbl->CreateInstance(factory, &control). The control belongs to the calling
 *    thread: call it, pump its events and release it there.
 * 3. Resolve member numbers by name with GetIDOfName (or use the numbers, which never
 *    change) and call Invoke. Errors come back as numbers with a message.
 * 4. Advise an event sink, watch TavrinGetNotifyFd() for readability (poll/select, a socket
 *    notifier) and call TavrinPumpNotifications() on the same thread when it is readable:
 *    the events fire from inside that call.
 *
 * Strings are UTF-8. Strings and memory the library hands out are freed with
 * TavrinVariantClear / TavrinFreeMemory; strings the host passes in stay the host's.
 * Registration: DllRegisterServer writes "name=library path" lines for the ProgID and the
 * type-library name to $XDG_CONFIG_HOME/tavrin/registry (default ~/.config/tavrin/registry);
 * DllUnregisterServer removes those lines and keeps every other line.
 */
#ifndef TAVRIN_TAVRIN_H
#define TAVRIN_TAVRIN_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Return codes. 0 is success; positive values are automation error numbers (Invoke:
 * 381 invalid property array index, 383 property is read-only, 394 property is read at
 * design time, 438 no such member, 450 wrong number of arguments, 13 type mismatch,
 * 6 overflow, and the control's own 20002, 20004, 20011); negative values are failures
 * of the call itself. */
#define TAVRIN_OK 0
#define TAVRIN_FALSE 1            /* DllCanUnloadNow: objects are still alive */
#define TAVRIN_E_INVALIDARG (-1)  /* a null pointer or a malformed argument */
#define TAVRIN_E_NOTFOUND (-2)    /* unknown name */
#define TAVRIN_E_NORESOURCES (-3) /* no memory or descriptor for the object */
#define TAVRIN_E_CLASSNOTAVAILABLE (-4)
#define TAVRIN_E_LOAD (-5) /* a saved property stream that cannot be read */
#define TAVRIN_E_IO (-6)   /* the registry file cannot be written */

/* Variant type numbers (the platform's). */
#define TAVRIN_VT_EMPTY 0
#define TAVRIN_VT_I2 2
#define TAVRIN_VT_I4 3
#define TAVRIN_VT_R4 4
#define TAVRIN_VT_R8 5
#define TAVRIN_VT_BSTR 8
#define TAVRIN_VT_ERROR 10
#define TAVRIN_VT_BOOL 11

#define TAVRIN_VARIANT_TRUE (-1)
#define TAVRIN_VARIANT_FALSE 0

/* A value. For TAVRIN_VT_BSTR, `str` points to `length` bytes followed by a NUL (texts may
 * hold NUL bytes; `length` counts up to the terminator). Strings passed in by the host need
 * only `str` and `length`. */
typedef struct TavrinVariant {
    uint16_t vt;
    uint16_t reserved;
    uint32_t length;
    union {
        int16_t i2;
        int32_t i4;
        float r4;
        double r8;
        int16_t boolean; /* TAVRIN_VARIANT_TRUE or TAVRIN_VARIANT_FALSE */
        int32_t scode;
        char* str;
    } value;
} TavrinVariant;

/* Invoke kinds. A property can also be read with TAVRIN_INVOKE_METHOD. */
#define TAVRIN_INVOKE_METHOD 1
#define TAVRIN_INVOKE_PROPERTYGET 2
#define TAVRIN_INVOKE_PROPERTYPUT 4

/* Called on the control's thread, from inside TavrinPumpNotifications (or, for requests
 * refused at once, from inside Invoke). The arguments are valid during the call only.
 * Events: 1 Complete(nResult), 2 UnsolicitedMessage(szSenderNodeAddress, never fired),
 * 3 DialComplete(nModemResult), 4 HangupComplete(nModemResult),
 * 5 ModemStatusChange(nModemResult). Event arguments are 16-bit (TAVRIN_VT_I2): modem
 * results above 32767 arrive negative; mask them with 0xFFFF. */
typedef struct TavrinEventSink {
    void* context;
    void (*OnEvent)(void* context, int32_t dispid, const TavrinVariant* args, uint32_t argc);
} TavrinEventSink;

/* Modem dialling (ModemDial, ModemHangup, ModemCancel). DialComplete and HangupComplete
 * carry enumTavrinModemResult values: 0 success, 1280 the port could not be opened, 8192
 * the communications thread did not start. Busy is already False inside them. While a
 * call is up the control reads the modem's lines before every request and every 50 ms;
 * ModemStatusChange carries them (enumTavrinModemStatus bits) at each change, and without
 * MS_RLSD_ON the call is over. A port without modem lines (a pseudo-terminal) reads as all
 * off and reports no change. ModemCancel ends the answer wait of the dial or hang-up in
 * progress; a cancel given while none runs is dropped. ModemDial and ModemHangup are served
 * at once even while Enabled is False or after Disconnect, which stop auto-polls (Enabled
 * False also refreshes): held back, the request would keep Busy True, after Disconnect for
 * good, since only AsyncRefresh ends that pause and it is refused while Busy. The lines are
 * not watched while Enabled is False, nor after Disconnect until the next AsyncRefresh. */

/* The container. UserMode returns 0 in design mode (run-time-only properties then refuse
 * reads); without a site the control is in run mode. OnPropertyChanged follows every
 * accepted property write. Either function pointer may be NULL. */
typedef struct TavrinSite {
    void* context;
    int32_t (*UserMode)(void* context);
    void (*OnPropertyChanged)(void* context, int32_t dispid);
} TavrinSite;

typedef struct TavrinControl TavrinControl;

typedef struct TavrinControlVtbl {
    uint32_t (*AddRef)(TavrinControl* self);
    /* The last Release destroys the control: a transaction in progress ends and events
     * still queued for it are dropped. */
    uint32_t (*Release)(TavrinControl* self);
    int32_t (*GetIDOfName)(TavrinControl* self, const char* name, int32_t* dispid);
    int32_t (*GetEventIDOfName)(TavrinControl* self, const char* name, int32_t* dispid);
    /* Arguments in declaration order; for a property put the value comes last. `result`
     * may be NULL; `errorMessage` (may be NULL) receives the error text on failure, to be
     * freed with TavrinFreeMemory. */
    int32_t (*Invoke)(TavrinControl* self, int32_t dispid, int32_t kind, const TavrinVariant* args,
                      uint32_t argc, TavrinVariant* result, char** errorMessage);
    /* The structures are copied; NULL disconnects. */
    int32_t (*Advise)(TavrinControl* self, const TavrinEventSink* sink);
    int32_t (*SetSite)(TavrinControl* self, const TavrinSite* site);
    /* The persisted properties (format version word first); free `*data` with
     * TavrinFreeMemory. Saving clears the modified flag. */
    int32_t (*Save)(TavrinControl* self, uint8_t** data, size_t* size);
    int32_t (*Load)(TavrinControl* self, const uint8_t* data, size_t size);
    /* TAVRIN_OK when modified since the last save or load, TAVRIN_FALSE otherwise. */
    int32_t (*IsModified)(TavrinControl* self);
} TavrinControlVtbl;

struct TavrinControl {
    const TavrinControlVtbl* vtbl;
};

typedef struct TavrinClassFactory TavrinClassFactory;

typedef struct TavrinClassFactoryVtbl {
    uint32_t (*AddRef)(TavrinClassFactory* self);
    uint32_t (*Release)(TavrinClassFactory* self);
    int32_t (*CreateInstance)(TavrinClassFactory* self, TavrinControl** control);
    int32_t (*LockServer)(TavrinClassFactory* self, int32_t lock);
} TavrinClassFactoryVtbl;

struct TavrinClassFactory {
    const TavrinClassFactoryVtbl* vtbl;
};

/* Entry points. */
int32_t DllRegisterServer(void);
int32_t DllUnregisterServer(void);
/* Names: the ProgID "TAVRIN.TAVRINCtrl.1" or the type-library name "TAVRINLib.TAVRIN",
 * in any case. */
int32_t DllGetClassObject(const char* className, TavrinClassFactory** factory);
/* TAVRIN_OK when no control or factory lock is alive. */
int32_t DllCanUnloadNow(void);

/* This thread's notification descriptor (made on first use; -1 when none can be made). */
int TavrinGetNotifyFd(void);
/* Fires the events queued for this thread's controls; returns how many fired. */
int32_t TavrinPumpNotifications(void);

/* The published enumerations (enumTavrinFunction, enumTavrinResult, ...; see
 * TavrinEnums.h) by name, without regard to case. Names returned belong to the library. */
int32_t TavrinFindConstant(const char* name, int32_t* value);
int32_t TavrinGetEnumMember(const char* enumName, uint32_t index, const char** memberName,
                            int32_t* value);

void TavrinVariantClear(TavrinVariant* variant);
void TavrinFreeMemory(void* memory);

/* The version of this interface, major << 16 | minor. A host refuses a library whose major
 * number is not the one it was written for; a higher minor number only adds. */
#define TAVRIN_INTERFACE_VERSION 0x20002
int TavrinInterfaceVersion(void);

/* Frame tap: every frame the calling thread's controls put on the line and every reply they
 * take from it, for a traffic monitor. Registered per thread, like the notification
 * descriptor: it covers the controls created on this thread, and their frames are handed to
 * OnFrame from inside TavrinPumpNotifications, in line order (frames of two controls of this
 * thread on one port never interleave; a transaction's frames come before its Complete).
 * Without a registered tap nothing is recorded: no copy, no memory, no wake-up.
 *
 * A request and its reply are two frames. A broadcast has none; a reply that did not come
 * whole within TimeoutTrans carries TAVRIN_FRAME_TIMEOUT, the bytes that had arrived (maybe
 * none) and the transaction's Result (256 in general). A host that does not pump loses
 * frames past 4096 waiting ones; TavrinGetFramesDropped counts them and `sequence` skips
 * their numbers. */
#define TAVRIN_FRAME_SENT 1     /* direction: written to the line */
#define TAVRIN_FRAME_RECEIVED 2 /* direction: read from the line */

#define TAVRIN_FRAME_BROADCAST 0x1 /* flags: node 0, no reply awaited */
#define TAVRIN_FRAME_TIMEOUT 0x2   /* flags: the reply did not come whole in time */
#define TAVRIN_FRAME_ASCII 0x4     /* flags: ASCII framing (bytes are its characters) */
#define TAVRIN_FRAME_TRUNCATED 0x8 /* flags: more arrived than the 1024 bytes kept */

/* Valid during the call only. */
typedef struct TavrinFrame {
    int64_t timeUs;         /* system clock, microseconds since 1970-01-01 UTC */
    uint64_t sequence;      /* 1, 2, ... per thread, in line order */
    const uint8_t* bytes;   /* the frame as on the line */
    const char* port;       /* the port's name, e.g. "COM5" */
    const char* resultText; /* the sentence ResultString gives for `result` */
    uint32_t length;        /* of bytes */
    int32_t result;         /* sent: 0, or 1536/1280 when the write failed; received: the
                               transaction's Result (0, Modbus exception 1-255, or the
                               control's own code) */
    uint16_t direction;     /* TAVRIN_FRAME_SENT or TAVRIN_FRAME_RECEIVED */
    uint16_t flags;         /* TAVRIN_FRAME_* bits */
    uint16_t node;          /* the request's slave address (0: broadcast) */
    uint16_t function;      /* the request's Modbus function code */
} TavrinFrame;

typedef struct TavrinFrameTap {
    void* context;
    void (*OnFrame)(void* context, const TavrinFrame* frame);
} TavrinFrameTap;

/* Sets the calling thread's tap (the structure is copied); NULL or a NULL OnFrame removes it,
 * and frames still waiting are dropped: after the call the old OnFrame is not called again.
 * TAVRIN_E_NORESOURCES when this thread has no notification queue. */
int32_t TavrinSetFrameTap(const TavrinFrameTap* tap);
/* Frames the calling thread's tap lost because too many were waiting for the pump. */
uint64_t TavrinGetFramesDropped(void);

typedef int32_t (*TavrinDllGetClassObjectFn)(const char*, TavrinClassFactory**);
typedef int32_t (*TavrinDllRegisterFn)(void);
typedef int32_t (*TavrinDllCanUnloadNowFn)(void);
typedef int (*TavrinGetNotifyFdFn)(void);
typedef int32_t (*TavrinPumpNotificationsFn)(void);
typedef int32_t (*TavrinFindConstantFn)(const char*, int32_t*);
typedef int32_t (*TavrinGetEnumMemberFn)(const char*, uint32_t, const char**, int32_t*);
typedef void (*TavrinVariantClearFn)(TavrinVariant*);
typedef void (*TavrinFreeMemoryFn)(void*);
typedef int (*TavrinInterfaceVersionFn)(void);
typedef int32_t (*TavrinSetFrameTapFn)(const TavrinFrameTap*);
typedef uint64_t (*TavrinGetFramesDroppedFn)(void);

#ifdef __cplusplus
}
#endif

#endif
