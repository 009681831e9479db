#include "model/PersetCookie.h"

#include <iterator>

IMPLEMENT_DYNCREATE(PersetCookie, CObject)

namespace {

const FlagWord kFlagWords[] = {
#define TOLVANE_COOKIE_FLAG_WORD(name, bit, word, box) {name, word},
    TOLVANE_COOKIE_FLAGS(TOLVANE_COOKIE_FLAG_WORD)
#undef TOLVANE_COOKIE_FLAG_WORD
};

}  // namespace

const FlagWord* PersetCookie::FlagWords(int* count) {
  if (count) *count = int(std::size(kFlagWords));
  return kFlagWords;
}

PersetCookie& PersetCookie::CopyFrom(const PersetCookie& source) {
  m_strName = source.m_strName;
  m_strValue = source.m_strValue;
  m_strDomain = source.m_strDomain;
  m_strPath = source.m_strPath;
  m_dwFlags = source.m_dwFlags;
  m_strExpire = source.m_strExpire;
  m_strLastModify = source.m_strLastModify;
  m_nState = kStateModified;
  return *this;
}

void PersetCookie::WriteText(FILE* stream) {
  std::fprintf(stream, "Name\t%s\n", m_strName.GetString());
  std::fprintf(stream, "Value\t%s\n", m_strValue.GetString());
  std::fprintf(stream, "Domain\t%s\n", m_strDomain.GetString());
  std::fprintf(stream, "Path\t%s\n", m_strPath.GetString());
  std::fprintf(stream, "Expire\t%s\n", m_strExpire.GetString());
  std::fprintf(stream, "LastModify\t%s\n", m_strLastModify.GetString());
  std::fputs("Flags\t", stream);
  for (const FlagWord& flag : kFlagWords) {
    if (m_dwFlags & flag.bit) std::fputs(flag.word, stream);
  }
  std::fputs("\n", stream);
}
