// Loads Snagbar.dll directly and checks what no script can reach: the class
// object's error paths, aggregation, the unload count and the resources the
// browser entries refer to. Prints "PASS name" or "FAIL name: why" per group
// and exits 1 when any failed. Usage: SnagbarProbe <path of Snagbar.dll>
#include <windows.h>
#include <ocidl.h>
#include <ole2.h>

#include <cstdio>
#include <string>

namespace {

const CLSID ClassId = {0x5e2c7b10, 0x94d3, 0x4f6a, {0xb8, 0xe1, 0x2a, 0x7c, 0x9d, 0x0f, 0x3b, 0x46}};
const IID InterfaceId = {0xc36b3dea, 0x9d8c, 0x4a2a, {0x81, 0xa1, 0xe9, 0x34, 0xc4, 0xb8, 0xa1, 0xe8}};

using GetClassObjectFn = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
using CanUnloadFn = HRESULT(WINAPI*)();

GetClassObjectFn getClassObject;
CanUnloadFn canUnload;
int failures = 0;

// Collects the first failed expectation of a group.
struct Group {
    const char* name;
    std::string why;
    void Expect(bool ok, const char* what) {
        if (!ok && why.empty()) why = what;
    }
    ~Group() {
        if (why.empty()) {
            std::printf("PASS %s\n", name);
        } else {
            std::printf("FAIL %s: %s\n", name, why.c_str());
            ++failures;
        }
    }
};

// An outer object that only counts what the inner object forwards to it.
struct Outer : IUnknown {
    int addRefs = 0, queries = 0;
    STDMETHODIMP QueryInterface(REFIID, void** ppv) override {
        ++queries;
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++addRefs; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
};

IClassFactory* Factory() {
    IClassFactory* factory = nullptr;
    getClassObject(ClassId, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    return factory;
}

void CheckClassObject() {
    Group g{"class-object"};
    void* p = &p;
    g.Expect(getClassObject(ClassId, IID_IClassFactory, nullptr) == E_POINTER, "null out pointer");
    g.Expect(getClassObject(IID_IDispatch, IID_IClassFactory, &p) == CLASS_E_CLASSNOTAVAILABLE && !p,
             "foreign class not refused");
    g.Expect(canUnload() == S_OK, "unload refused with nothing in use");
    IClassFactory* factory = Factory();
    g.Expect(factory != nullptr, "no class factory");
    if (!factory) return;
    IClassFactory* again = Factory();
    g.Expect(again == factory, "class object not reused");
    if (again) again->Release();
    g.Expect(canUnload() == S_FALSE, "unload allowed while the class object is held");
    factory->LockServer(TRUE);
    factory->Release();
    g.Expect(canUnload() == S_FALSE, "unload allowed under LockServer");
    factory = Factory();
    factory->LockServer(FALSE);
    factory->Release();
    g.Expect(canUnload() == S_OK, "unload refused after LockServer(FALSE)");
}

void CheckObject() {
    Group g{"object-interfaces"};
    IClassFactory* factory = Factory();
    IUnknown* object = nullptr;
    g.Expect(factory && SUCCEEDED(factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&object))),
             "no instance");
    if (factory) factory->Release();
    if (!object) return;
    g.Expect(canUnload() == S_FALSE, "unload allowed while an object lives");
    IUnknown *dispatch = nullptr, *own = nullptr, *identity = nullptr, *other = nullptr;
    g.Expect(SUCCEEDED(object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch))), "no IDispatch");
    g.Expect(SUCCEEDED(object->QueryInterface(InterfaceId, reinterpret_cast<void**>(&own))), "no IFramehaulIE");
    if (own) {
        own->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity));
        g.Expect(identity == object, "IUnknown identity differs");
    }
    const IID* foreign[] = {&IID_IClassFactory, &IID_IPersist, &IID_IMarshal, &IID_IConnectionPointContainer};
    for (const IID* iid : foreign) {
        g.Expect(object->QueryInterface(*iid, reinterpret_cast<void**>(&other)) == E_NOINTERFACE && !other,
                 "offers an interface it should not");
    }
    for (IUnknown* p : {dispatch, own, identity})
        if (p) p->Release();
    g.Expect(object->Release() == 0, "references left over");
    g.Expect(canUnload() == S_OK, "unload refused after the last release");
}

void CheckAggregation() {
    Group g{"aggregation"};
    IClassFactory* factory = Factory();
    g.Expect(factory != nullptr, "no class factory");
    if (!factory) return;
    Outer outer;
    void* p = &p;
    g.Expect(factory->CreateInstance(&outer, IID_IDispatch, &p) == CLASS_E_NOAGGREGATION && !p,
             "aggregation with an interface other than IUnknown allowed");
    IUnknown* inner = nullptr;
    g.Expect(SUCCEEDED(factory->CreateInstance(&outer, IID_IUnknown, reinterpret_cast<void**>(&inner))),
             "aggregated instance refused");
    factory->Release();
    if (!inner) return;
    IDispatch* dispatch = nullptr;
    int before = outer.addRefs;
    inner->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch));
    g.Expect(dispatch && outer.addRefs == before + 1, "IDispatch of the inner object not counted by the outer");
    if (dispatch) {
        void* q = nullptr;
        dispatch->QueryInterface(IID_IStream, &q);
        g.Expect(outer.queries == 1, "QueryInterface not delegated to the outer object");
        dispatch->Release();  // the outer's reference, not the inner's
    }
    g.Expect(canUnload() == S_FALSE, "unload allowed while the aggregate lives");
    g.Expect(inner->Release() == 0, "inner object not freed by its own Release");
    g.Expect(canUnload() == S_OK, "unload refused after the aggregate went");
}

bool IconGroupHas16And24(HMODULE module, int id) {
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(14));  // RT_GROUP_ICON
    if (!found) return false;
    const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
    int count = data[4] | (data[5] << 8);
    bool has16 = false, has24 = false;
    for (int i = 0; i < count; ++i) {
        const BYTE* entry = data + 6 + i * 14;  // GRPICONDIRENTRY
        int bits = entry[6] | (entry[7] << 8);
        has16 |= entry[0] == 16 && entry[1] == 16 && bits == 8;
        has24 |= entry[0] == 24 && entry[1] == 24 && bits == 8;
    }
    return has16 && has24;
}

// The browser entries name the icons by group number; Internet Explorer
// wants both sizes.
void CheckResources(HMODULE module) {
    Group g{"resources"};
    g.Expect(IconGroupHas16And24(module, 201) && IconGroupHas16And24(module, 202),
             "icon group 201 or 202 lacks a 16x16 or 24x24 256-colour image");
    g.Expect(FindResourceA(module, MAKEINTRESOURCEA(101), "REGISTRY") != nullptr, "no REGISTRY 101");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::printf("FAIL probe-usage: SnagbarProbe <Snagbar.dll>\n");
        return 1;
    }
    CoInitialize(nullptr);
    HMODULE module = LoadLibraryA(argv[1]);
    // Through a generic function type: GCC warns about the direct cast.
    using AnyFn = void (*)();
    getClassObject =
        reinterpret_cast<GetClassObjectFn>(reinterpret_cast<AnyFn>(GetProcAddress(module, "DllGetClassObject")));
    canUnload = reinterpret_cast<CanUnloadFn>(reinterpret_cast<AnyFn>(GetProcAddress(module, "DllCanUnloadNow")));
    if (!module || !getClassObject || !canUnload) {
        std::printf("FAIL probe-load: %s cannot be loaded or lacks its exports\n", argv[1]);
        return 1;
    }
    CheckClassObject();
    CheckObject();
    CheckAggregation();
    CheckResources(module);
    return failures ? 1 : 0;
}
