/* The programming interface of libplinth.so for hosts that load it at run time (dlopen),
 * in any language with a C foreign-function interface. C++ hosts built with Qt can use the
 * widget directly instead (PlinthBtn.h).
 *
 * 1. The host runs a QApplication (the button is a Qt widget) and calls everything below on
 *    its thread.
 * 2. dlopen("libplinth.so"), dlsym the entry points below (typedefs at the end).
 * 3. DllGetClassObject("Grolle.PlinthBtn", &factory), then
 *    factory->vtbl->CreateInstance(factory, &control). GetWidget gives the QWidget* to put
 *    on a form (reparent it); the button is destroyed with the last Release.
 * 4. Resolve member numbers by name with GetIDOfName (or use the numbers, which never
 *    change) and call Invoke. Errors come back as numbers with a message.
 * 5. Advise an event sink: events fire from inside Qt's event loop.
 *
 * Strings are UTF-8. Strings, objects and memory the library hands out are freed with
 * PlinthVariantClear / PlinthFreeMemory; what the host passes in stays the host's.
 * Pictures travel as strings holding the encoded picture (PNG, BMP, JPEG, GIF, ICO...).
 * Registration: DllRegisterServer writes a "Grolle.PlinthBtn=library path" line to
 * $XDG_CONFIG_HOME/tavrin/registry (default ~/.config/tavrin/registry), the registry the
 * system's controls share; DllUnregisterServer removes that line and keeps every other.
 */
#ifndef PLINTH_PLINTH_H
#define PLINTH_PLINTH_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Return codes. 0 is success; positive values are automation error numbers (Invoke: 5 bad
 * argument, 6 overflow, 13 type mismatch, 380 invalid property value, 381 index outside the
 * menu (0-19) or the key list, 383 property is read-only, 394 property is read at design
 * time, 438 no such member, 450 wrong number of arguments, 481 invalid picture; Load: 321
 * a damaged stream or an unknown version, 481 a picture in it that cannot be decoded);
 * negative values are failures of the call itself. */
#define PLINTH_OK 0
#define PLINTH_FALSE 1            /* DllCanUnloadNow: objects are still alive */
#define PLINTH_E_INVALIDARG (-1)  /* a null pointer or a malformed argument */
#define PLINTH_E_NOTFOUND (-2)    /* unknown name */
#define PLINTH_E_NORESOURCES (-3) /* no memory for the object */
#define PLINTH_E_CLASSNOTAVAILABLE (-4)
#define PLINTH_E_IO (-6)            /* the registry file cannot be written */
#define PLINTH_E_NOAPPLICATION (-7) /* no QApplication, or called from another thread */
#define PLINTH_E_GONE (-8)          /* the button's widget was destroyed by its parent */

/* Variant type numbers (the platform's). */
#define PLINTH_VT_EMPTY 0
#define PLINTH_VT_I2 2
#define PLINTH_VT_I4 3
#define PLINTH_VT_R4 4
#define PLINTH_VT_R8 5
#define PLINTH_VT_BSTR 8
#define PLINTH_VT_DISPATCH 9
#define PLINTH_VT_ERROR 10
#define PLINTH_VT_BOOL 11

#define PLINTH_VARIANT_TRUE (-1)
#define PLINTH_VARIANT_FALSE 0

typedef struct PlinthDispatch PlinthDispatch;

/* A value. For PLINTH_VT_BSTR, `str` points to `length` bytes followed by a NUL (texts and
 * pictures may hold NUL bytes). A PLINTH_VT_DISPATCH value holds one reference. */
typedef struct PlinthVariant {
    uint16_t vt;
    uint16_t reserved;
    uint32_t length;
    union {
        int16_t i2;
        int32_t i4;
        float r4;
        double r8;
        int16_t boolean; /* PLINTH_VARIANT_TRUE or PLINTH_VARIANT_FALSE */
        int32_t scode;
        char* str;
        PlinthDispatch* dispatch;
    } value;
} PlinthVariant;

/* Invoke kinds. A property can also be read with PLINTH_INVOKE_METHOD. */
#define PLINTH_INVOKE_METHOD 1
#define PLINTH_INVOKE_PROPERTYGET 2
#define PLINTH_INVOKE_PROPERTYPUT 4

/* An object passed in a variant: the button's font ("StdFont": Name 0, Size 2, Bold 3,
 * Italic 4, Underline 5, Strikethrough 6, Weight 7, Charset 8) or the data of a drag
 * ("Grolle.DataObject": Clear 1, GetData(format) 2, GetFormat(format) 3,
 * SetData(value, format) 4, Files 5, a collection with Count 1 and Item(index) 0). A data
 * object is valid during its event only. Arguments of Invoke are in declaration order;
 * arguments a member declares by reference come back in `args` as new values the host
 * frees with PlinthVariantClear (what it passed stays its own). */
typedef struct PlinthDispatchVtbl {
    uint32_t (*AddRef)(PlinthDispatch* self);
    uint32_t (*Release)(PlinthDispatch* self);
    int32_t (*GetIDOfName)(PlinthDispatch* self, const char* name, int32_t* dispid);
    int32_t (*Invoke)(PlinthDispatch* self, int32_t dispid, int32_t kind, PlinthVariant* args,
                      uint32_t argc, PlinthVariant* result, char** errorMessage);
    /* The class name, valid as long as the object; never NULL. */
    const char* (*GetTypeName)(PlinthDispatch* self);
} PlinthDispatchVtbl;

struct PlinthDispatch {
    const PlinthDispatchVtbl* vtbl;
};

/* Called on the button's thread. The arguments are valid during the call only; a handler
 * may change the numeric and Boolean arguments an event declares by reference in place:
 * KeyDown(KeyCode*, Shift) -602, KeyPress(KeyAscii*) -603, KeyUp(KeyCode*, Shift) -604,
 * FocusMove(Cancel*) 3, OLEStartDrag(Data, AllowedEffects*) 5, OLEGiveFeedback(Effect*,
 * DefaultCursors*) 6, OLEDragOver(Data, Effect*, Button*, Shift*, X*, Y*, State) 7,
 * OLEDragDrop(Data, Effect*, Button*, Shift*, X*, Y*) 8, BeforePopup(Cancel*) 10. The
 * others: Click -600, DblClick -601, MouseDown/MouseMove/MouseUp(Button, Shift, X, Y) -605
 * to -607, VKeyDown/VKeyUp(VKeyCode, Shift, OemCode, Repeat) 1 and 2, OLECompleteDrag(Effect)
 * 4, MenuClicked(MenuID) 9. X and Y are pixels (PLINTH_VT_R4). */
typedef struct PlinthEventSink {
    void* context;
    void (*OnEvent)(void* context, int32_t dispid, PlinthVariant* args, uint32_t argc);
} PlinthEventSink;

/* The container. UserMode returns 0 in design mode (run-time-only properties then refuse
 * reads); DisplayName gives the name the form has for the control, used as the caption of
 * a new button (NULL or "" for none; the text is copied). Any function pointer may be NULL. */
typedef struct PlinthSite {
    void* context;
    int32_t (*UserMode)(void* context);
    const char* (*DisplayName)(void* context);
    void (*OnPropertyChanged)(void* context, int32_t dispid);
} PlinthSite;

typedef struct PlinthControl PlinthControl;

typedef struct PlinthControlVtbl {
    uint32_t (*AddRef)(PlinthControl* self);
    /* The last Release destroys the control and its widget. */
    uint32_t (*Release)(PlinthControl* self);
    int32_t (*GetIDOfName)(PlinthControl* self, const char* name, int32_t* dispid);
    int32_t (*GetEventIDOfName)(PlinthControl* self, const char* name, int32_t* dispid);
    /* As PlinthDispatchVtbl.Invoke. `result` and `errorMessage` may be NULL; the message is
     * freed with PlinthFreeMemory. */
    int32_t (*Invoke)(PlinthControl* self, int32_t dispid, int32_t kind, PlinthVariant* args,
                      uint32_t argc, PlinthVariant* result, char** errorMessage);
    /* The structures are copied; NULL disconnects. */
    int32_t (*Advise)(PlinthControl* self, const PlinthEventSink* sink);
    int32_t (*SetSite)(PlinthControl* self, const PlinthSite* site);
    /* The persisted properties (format version word first); free `*data` with
     * PlinthFreeMemory. Saving clears the modified flag. */
    int32_t (*Save)(PlinthControl* self, uint8_t** data, size_t* size);
    /* All or nothing: a refused stream leaves the button as it was. */
    int32_t (*Load)(PlinthControl* self, const uint8_t* data, size_t size);
    /* PLINTH_OK when modified since the last save or load, PLINTH_FALSE otherwise. */
    int32_t (*IsModified)(PlinthControl* self);
    /* The QWidget* of the button (NULL once its parent destroyed it). */
    void* (*GetWidget)(PlinthControl* self);
} PlinthControlVtbl;

struct PlinthControl {
    const PlinthControlVtbl* vtbl;
};

typedef struct PlinthClassFactory PlinthClassFactory;

typedef struct PlinthClassFactoryVtbl {
    uint32_t (*AddRef)(PlinthClassFactory* self);
    uint32_t (*Release)(PlinthClassFactory* self);
    int32_t (*CreateInstance)(PlinthClassFactory* self, PlinthControl** control);
    int32_t (*LockServer)(PlinthClassFactory* self, int32_t lock);
} PlinthClassFactoryVtbl;

struct PlinthClassFactory {
    const PlinthClassFactoryVtbl* vtbl;
};

/* Entry points. */
int32_t DllRegisterServer(void);
int32_t DllUnregisterServer(void);
/* The ProgID "Grolle.PlinthBtn", in any case. */
int32_t DllGetClassObject(const char* className, PlinthClassFactory** factory);
/* PLINTH_OK when no control or factory lock is alive. */
int32_t DllCanUnloadNow(void);
/* 0x10000 * major + minor of this interface. */
int PlinthInterfaceVersion(void);

/* A published constant by name (PlinthEnums.h, UTF-8), and the members of an enumeration
 * by index: PLINTH_E_NOTFOUND past the last. Enumeration names match in any case. */
int32_t PlinthFindConstant(const char* name, int32_t* value);
int32_t PlinthGetEnumMember(const char* enumName, uint32_t index, const char** memberName,
                            int32_t* value);

void PlinthVariantClear(PlinthVariant* variant);
void PlinthFreeMemory(void* memory);

typedef int32_t (*PlinthDllRegisterServerFn)(void);
typedef int32_t (*PlinthDllUnregisterServerFn)(void);
typedef int32_t (*PlinthDllGetClassObjectFn)(const char*, PlinthClassFactory**);
typedef int32_t (*PlinthDllCanUnloadNowFn)(void);
typedef int32_t (*PlinthFindConstantFn)(const char*, int32_t*);
typedef int32_t (*PlinthGetEnumMemberFn)(const char*, uint32_t, const char**, int32_t*);
typedef void (*PlinthVariantClearFn)(PlinthVariant*);
typedef void (*PlinthFreeMemoryFn)(void*);

#ifdef __cplusplus
}
#endif

#endif
