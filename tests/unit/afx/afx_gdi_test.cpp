// GDI objects and device contexts own exactly what they created.

#include <gtest/gtest.h>

#include <functional>

#include "afx/gdi.h"
#include "bitmap_probe.h"

namespace {

TEST(AfxGdi, ObjectsDeleteWhatTheyOwnAndNothingElse) {
  struct Case {
    const char* what;
    std::function<HGDIOBJ(CGdiObject&)> make;
    DWORD type;
  } cases[] = {
      {"solid brush",
       [](CGdiObject& o) {
         static_cast<CBrush&>(o).CreateSolidBrush(RGB(1, 2, 3));
         return o.m_hObject;
       },
       OBJ_BRUSH},
      {"font",
       [](CGdiObject& o) {
         static_cast<CFont&>(o).CreateFont(22, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
         return o.m_hObject;
       },
       OBJ_FONT},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    HGDIOBJ owned = nullptr;
    HGDIOBJ released = nullptr;
    {
      CBrush brush;
      CFont font;
      CGdiObject& object = c.type == OBJ_BRUSH ? static_cast<CGdiObject&>(brush) : font;
      owned = c.make(object);
      ASSERT_NE(nullptr, owned);
      EXPECT_EQ(c.type, ::GetObjectType(owned));
      // Making a second one replaces (and deletes) the first.
      HGDIOBJ second = c.make(object);
      EXPECT_EQ(0u, ::GetObjectType(owned));
      released = object.Detach();
      EXPECT_EQ(second, released);
      owned = c.make(object);
    }
    EXPECT_EQ(0u, ::GetObjectType(owned));         // deleted with its object
    EXPECT_EQ(c.type, ::GetObjectType(released));  // given away: still alive
    ::DeleteObject(released);
  }
}

TEST(AfxGdi, MemoryContextIsOwnedBorrowedContextIsNot) {
  HDC created = nullptr;
  BitmapProbe probe(4, 4);
  {
    CDC memory;
    ASSERT_TRUE(memory.CreateCompatibleDC(nullptr));
    created = memory.m_hDC;
    EXPECT_EQ(static_cast<DWORD>(OBJ_MEMDC), ::GetObjectType(created));
    EXPECT_FALSE(memory.IsPrinting());
    CDC borrowed(probe.dc());
    borrowed.FillSolidRect(1, 1, 2, 2, RGB(10, 20, 30));
  }
  EXPECT_EQ(0u, ::GetObjectType(created));
  EXPECT_EQ(static_cast<DWORD>(OBJ_MEMDC), ::GetObjectType(probe.dc()));
  EXPECT_EQ(RGB(10, 20, 30), probe.At(1, 1));
  EXPECT_EQ(RGB(10, 20, 30), probe.At(2, 2));
  EXPECT_EQ(RGB(0, 0, 0), probe.At(3, 3));
}

}  // namespace
