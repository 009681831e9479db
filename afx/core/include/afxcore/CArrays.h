// The framework's arrays. None owns its elements: owners delete them explicitly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "afxcore/CObject.h"

template <typename T>
class CArrayOf {
 public:
  int GetSize() const { return int(m_items.size()); }
  int GetCount() const { return int(m_items.size()); }
  int GetUpperBound() const { return int(m_items.size()) - 1; }
  bool IsEmpty() const { return m_items.empty(); }
  T GetAt(int index) const { return m_items[std::size_t(index)]; }
  T& ElementAt(int index) { return m_items[std::size_t(index)]; }
  T operator[](int index) const { return m_items[std::size_t(index)]; }
  T& operator[](int index) { return m_items[std::size_t(index)]; }
  void SetAt(int index, T value) { m_items[std::size_t(index)] = value; }
  /** Appends and returns the new element's index. */
  int Add(T value) {
    m_items.push_back(value);
    return int(m_items.size()) - 1;
  }
  /** Inserts count copies at index, moving later elements up; an index past the end grows the array. */
  void InsertAt(int index, T value, int count = 1) {
    if (index > GetSize()) m_items.resize(std::size_t(index), T{});
    m_items.insert(m_items.begin() + index, std::size_t(count), value);
  }
  void RemoveAt(int index, int count = 1) {
    m_items.erase(m_items.begin() + index, m_items.begin() + index + count);
  }
  void RemoveAll() { m_items.clear(); }
  /** Resizes; growBy is accepted for the framework's signature and ignored. */
  void SetSize(int newSize, int growBy = -1) {
    (void)growBy;
    m_items.resize(std::size_t(newSize > 0 ? newSize : 0), T{});
    if (newSize <= 0) m_items.shrink_to_fit();
  }
  T* GetData() { return m_items.data(); }
  const T* GetData() const { return m_items.data(); }
  void Copy(const CArrayOf& other) { m_items = other.m_items; }
  /** The elements, for range-based loops and algorithms. */
  std::vector<T>& items() { return m_items; }
  const std::vector<T>& items() const { return m_items; }

 private:
  std::vector<T> m_items;
};

class CObArray : public CObject, public CArrayOf<CObject*> {
  DECLARE_DYNAMIC(CObArray)
 public:
  CObArray() = default;
};

class CPtrArray : public CObject, public CArrayOf<void*> {
  DECLARE_DYNAMIC(CPtrArray)
 public:
  CPtrArray() = default;
};

class CByteArray : public CObject, public CArrayOf<uint8_t> {
  DECLARE_DYNAMIC(CByteArray)
 public:
  CByteArray() = default;
};
