#include <gtest/gtest.h>

#include "afxcore/CArrays.h"
#include "afxcore/CString.h"

TEST(CString, KeepsZeroBytesAndFormats) {
  CString s(std::string("x\0y", 3));
  EXPECT_EQ(s.GetLength(), 3);
  EXPECT_STREQ(static_cast<const char*>(s), "x");
  CString f;
  f.Format("%d|%08X", int(2743031808u), 0xABCu);
  EXPECT_EQ(f, "-1551935488|00000ABC");
}

TEST(CString, SlicesClampToTheText) {
  const CString s("abc@site");
  EXPECT_EQ(s.Find('@'), 3);
  EXPECT_EQ(s.Left(4), "abc@");
  EXPECT_EQ(s.Mid(4), "site");
  EXPECT_EQ(s.Mid(40), "");
  EXPECT_EQ(s.Right(99), "abc@site");
  EXPECT_EQ(s.Find('@', 99), -1);
}

TEST(CObArray, InsertAtPastTheEndGrows) {
  CObArray a;
  a.InsertAt(2, nullptr);
  EXPECT_EQ(a.GetSize(), 3);
  a.RemoveAt(0, 2);
  EXPECT_EQ(a.GetSize(), 1);
}
