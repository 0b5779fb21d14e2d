#include "app/DialogTemplate.h"

namespace epiloom::win {
namespace {

void PutDword(std::vector<WORD>& out, DWORD value) {
  out.push_back(LOWORD(value));
  out.push_back(HIWORD(value));
}

// Template strings are UTF-16, converted from the ANSI code page.
void PutString(std::vector<WORD>& out, const std::string& text) {
  if (!text.empty()) {
    const int length = ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    for (wchar_t c : wide) out.push_back(static_cast<WORD>(c));
  }
  out.push_back(0);
}

void AlignToDword(std::vector<WORD>& out) {
  if (out.size() % 2 != 0) out.push_back(0);
}

}  // namespace

DialogTemplate::DialogTemplate(std::string title, DWORD style, DWORD exStyle, short cx, short cy,
                               std::string fontName, WORD fontPoints)
    : title_(std::move(title)),
      style_(style),
      exStyle_(exStyle),
      cx_(cx),
      cy_(cy),
      fontName_(std::move(fontName)),
      fontPoints_(fontPoints) {}

void DialogTemplate::Add(const DialogItem& item) { items_.push_back(item); }

const DLGTEMPLATE* DialogTemplate::Get() {
  buffer_.clear();
  PutDword(buffer_, style_ | DS_SETFONT);
  PutDword(buffer_, exStyle_);
  buffer_.push_back(static_cast<WORD>(items_.size()));
  for (short value : {short{0}, short{0}, cx_, cy_}) buffer_.push_back(static_cast<WORD>(value));
  buffer_.push_back(0);  // no menu
  buffer_.push_back(0);  // the standard dialog class
  PutString(buffer_, title_);
  buffer_.push_back(fontPoints_);
  PutString(buffer_, fontName_);

  for (const DialogItem& item : items_) {
    AlignToDword(buffer_);
    PutDword(buffer_, item.style | WS_CHILD);
    PutDword(buffer_, item.exStyle);
    for (short value : {item.x, item.y, item.cx, item.cy}) buffer_.push_back(static_cast<WORD>(value));
    buffer_.push_back(static_cast<WORD>(item.id));
    if (item.className.empty()) {
      buffer_.push_back(0xFFFF);
      buffer_.push_back(static_cast<WORD>(item.predefined));
    } else {
      PutString(buffer_, item.className);
    }
    PutString(buffer_, item.text);
    buffer_.push_back(0);  // no creation data
  }
  return reinterpret_cast<const DLGTEMPLATE*>(buffer_.data());
}

}  // namespace epiloom::win
