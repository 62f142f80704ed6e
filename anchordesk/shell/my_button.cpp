#include "shell/my_button.h"

#include <algorithm>
#include <sstream>

#include "shell/file_log.h"

IMPLEMENT_DYNAMIC(CMyButton, CButton)

BEGIN_MESSAGE_MAP(CMyButton, CButton)
  ON_WM_MOUSEMOVE()
  ON_WM_MOUSEHOVER()
  ON_WM_MOUSELEAVE()
END_MESSAGE_MAP()

namespace {

// How long the mouse must rest on the button before it counts as hovering.
constexpr DWORD kHoverTimeMs = 10;

// Source rectangles are cut to the image: the system's alpha blend refuses a
// source that reaches past the bitmap, which would lose the whole picture.
int Clip(int wanted, int imageSize, int from) {
  return std::max(0, std::min(wanted, imageSize - from));
}

}  // namespace

void PremultiplyAlpha(CImage& image) {
  if (image.IsNull() || image.GetBPP() != 32) return;
  for (int y = 0; y < image.GetHeight(); ++y) {
    BYTE* pixel = image.GetPixelAddress(0, y);
    for (int x = 0; x < image.GetWidth(); ++x, pixel += 4) {
      const unsigned alpha = pixel[3];
      pixel[0] = static_cast<BYTE>(pixel[0] * alpha / 255);
      pixel[1] = static_cast<BYTE>(pixel[1] * alpha / 255);
      pixel[2] = static_cast<BYTE>(pixel[2] * alpha / 255);
    }
  }
}

CMyButton::~CMyButton() = default;

void CMyButton::SetImages(const char* normal, const char* press, const char* hover) {
  m_strNormal = normal ? normal : "";
  m_strPress = press ? press : "";
  m_strHover = hover ? hover : "";
}

bool CMyButton::InitButton(int x, int y, int width, int height, bool premultiply) {
  if (m_strNormal.empty() || m_strPress.empty() || m_strHover.empty()) {
    WriteLog(LOG_INFO, "CMyButton::InitButton", __LINE__, "an image path is empty\n");
    return false;
  }
  struct {
    const std::string& path;
    CImage& image;
  } images[] = {{m_strNormal, m_imgNormal}, {m_strPress, m_imgPress}, {m_strHover, m_imgHover}};
  for (auto& entry : images) {
    if (FAILED(entry.image.Load(entry.path.c_str()))) {
      std::ostringstream text;
      text << "cannot load the button image \"" << entry.path << "\"\n";
      WriteLog(LOG_INFO, "CMyButton::InitButton", __LINE__, text.str().c_str());
      return false;
    }
  }
  if (premultiply) {
    for (auto& entry : images) PremultiplyAlpha(entry.image);
  }
  MoveWindow(x, y, width, height, TRUE);
  return true;
}

void CMyButton::SetBackImage(const char* path) {
  m_imgBack.Destroy();
  if (path == nullptr || *path == '\0') return;
  if (FAILED(m_imgBack.Load(path))) {
    std::ostringstream text;
    text << "cannot load the background image \"" << path << "\"\n";
    WriteLog(LOG_INFO, "CMyButton::SetBackImage", __LINE__, text.str().c_str());
  }
}

void CMyButton::Compose(CDC* target, int width, int height, const CImage& state) {
  CBitmap bitmap;
  CDC memory;
  if (width <= 0 || height <= 0 || !bitmap.CreateCompatibleBitmap(target, width, height) ||
      !memory.CreateCompatibleDC(target)) {
    return;  // nothing drawn this time; both objects free themselves
  }
  HGDIOBJ oldBitmap = memory.SelectObject(&bitmap);

  // The part of the parent's background that lies under the button.
  POINT origin = {0, 0};
  ::MapWindowPoints(m_hWnd, ::GetParent(m_hWnd), &origin, 1);
  if (!m_imgBack.IsNull()) {
    int w = Clip(width, m_imgBack.GetWidth(), origin.x);
    int h = Clip(height, m_imgBack.GetHeight(), origin.y);
    if (w > 0 && h > 0 && origin.x >= 0 && origin.y >= 0) {
      m_imgBack.Draw(memory, 0, 0, w, h, origin.x, origin.y, w, h);
    }
  }
  // The state image, unscaled: its top-left width × height pixels.
  if (!state.IsNull()) {
    int w = Clip(width, state.GetWidth(), 0);
    int h = Clip(height, state.GetHeight(), 0);
    if (w > 0 && h > 0) state.AlphaBlend(memory, 0, 0, w, h, 0, 0, w, h, 0xFF, AC_SRC_OVER);
  }

  target->BitBlt(0, 0, width, height, &memory, 0, 0, SRCCOPY);
  memory.SelectObject(oldBitmap);
}

void CMyButton::DrawItem(DRAWITEMSTRUCT* item) {
  if (item == nullptr) return;
  CDC dc(item->hDC);
  const CImage& state = (item->itemState & ODS_SELECTED) ? m_imgPress : m_imgNormal;
  Compose(&dc, item->rcItem.right - item->rcItem.left, item->rcItem.bottom - item->rcItem.top,
          state);
}

void CMyButton::OnMouseMove(UINT flags, CPoint point) {
  CButton::OnMouseMove(flags, point);
  if (!m_bTracking) {
    TRACKMOUSEEVENT track = {sizeof(TRACKMOUSEEVENT), TME_HOVER | TME_LEAVE, m_hWnd, kHoverTimeMs};
    ::TrackMouseEvent(&track);
    m_bTracking = TRUE;
  }
}

void CMyButton::OnMouseHover(UINT flags, CPoint point) {
  {
    CClientDC dc(this);
    CRect client;
    GetClientRect(&client);
    Compose(&dc, client.Width(), client.Height(), m_imgHover);
  }
  CButton::OnMouseHover(flags, point);
}

void CMyButton::OnMouseLeave() {
  CButton::OnMouseLeave();
  Invalidate(TRUE);
  m_bTracking = FALSE;
}
