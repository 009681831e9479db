// The framework's root class with its runtime class information: what the model's arrays
// and the tree's item data rely on to tell records apart (IsKindOf) and to create them by class.
#pragma once

class CObject;

struct CRuntimeClass {
  const char* m_lpszClassName;
  const CRuntimeClass* m_pBaseClass;
  CObject* (*m_pfnCreateObject)();

  /** A new object of this class, or null when the class is not dynamically creatable. */
  CObject* CreateObject() const;
  bool IsDerivedFrom(const CRuntimeClass* base) const;
};

class CObject {
 public:
  static const CRuntimeClass classCObject;

  virtual ~CObject() = default;
  virtual const CRuntimeClass* GetRuntimeClass() const;
  virtual void Serialize() {}
  virtual void AssertValid() const {}
  virtual void Dump() const {}

  bool IsKindOf(const CRuntimeClass* cls) const;

 protected:
  CObject() = default;
  CObject(const CObject&) = default;
  CObject& operator=(const CObject&) = default;
};

#define RUNTIME_CLASS(class_name) (&class_name::class##class_name)

#define DECLARE_DYNAMIC(class_name)            \
 public:                                       \
  static const CRuntimeClass class##class_name; \
  const CRuntimeClass* GetRuntimeClass() const override;

#define DECLARE_DYNCREATE(class_name) \
  DECLARE_DYNAMIC(class_name)         \
  static CObject* CreateObject();

#define IMPLEMENT_DYNAMIC(class_name, base_class_name)                                    \
  const CRuntimeClass class_name::class##class_name = {#class_name,                      \
                                                       RUNTIME_CLASS(base_class_name), nullptr}; \
  const CRuntimeClass* class_name::GetRuntimeClass() const { return RUNTIME_CLASS(class_name); }

#define IMPLEMENT_DYNCREATE(class_name, base_class_name)                                  \
  CObject* class_name::CreateObject() { return new class_name; }                         \
  const CRuntimeClass class_name::class##class_name = {                                  \
      #class_name, RUNTIME_CLASS(base_class_name), &class_name::CreateObject};           \
  const CRuntimeClass* class_name::GetRuntimeClass() const { return RUNTIME_CLASS(class_name); }
