#include "model/PersetCookie.h"

#include <iterator>

IMPLEMENT_DYNCREATE(PersetCookie, CObject)

namespace {

const FlagWord kFlagWords[] = {
    {0x001, " Secure"},      {0x002, " Session"},  {0x010, " 3rdParty"},  {0x020, " Prompt"},
    {0x040, " EvaluateP3P"}, {0x080, " ApplyP3P"}, {0x100, " EnableP3P"}, {0x200, " Restricted"},
    {0x400, " IE6"},         {0x800, " Legacy"},
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
  m_nState = 2;
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
