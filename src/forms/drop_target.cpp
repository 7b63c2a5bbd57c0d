#include "forms/drop_target.h"

#include <shellapi.h>

#include "common/handles.h"

namespace plum {
namespace {

FORMATETC FileListFormat() { return {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}; }

bool HasFileList(IDataObject* data) {
  FORMATETC format = FileListFormat();
  return data && data->QueryGetData(&format) == S_OK;
}

// The first path of a CF_HDROP data object; empty when it has none.
std::wstring FirstDroppedFile(IDataObject* data) {
  const StorageMedium medium(data, FileListFormat());
  if (!medium) return {};
  const GlobalLocked locked(medium.get().hGlobal);
  const auto drop = static_cast<HDROP>(locked.get());
  if (!drop || DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0) == 0) return {};
  const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
  std::wstring path(length + 1, L'\0');
  path.resize(DragQueryFileW(drop, 0, path.data(), length + 1));
  return path;
}

}  // namespace

HRESULT SlotDropTarget::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IDropTarget) {
    *object = static_cast<IDropTarget*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG SlotDropTarget::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }

ULONG SlotDropTarget::Release() {
  const LONG refs = InterlockedDecrement(&refs_);
  if (refs == 0) delete this;
  return static_cast<ULONG>(refs);
}

DWORD SlotDropTarget::Effect(DWORD allowed) const {
  return acceptable_ && (allowed & DROPEFFECT_COPY) ? DROPEFFECT_COPY : DROPEFFECT_NONE;
}

HRESULT SlotDropTarget::DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) {
  acceptable_ = HasFileList(data);
  *effect = Effect(*effect);
  return S_OK;
}

HRESULT SlotDropTarget::DragOver(DWORD, POINTL, DWORD* effect) {
  *effect = Effect(*effect);
  return S_OK;
}

HRESULT SlotDropTarget::DragLeave() {
  acceptable_ = false;
  return S_OK;
}

HRESULT SlotDropTarget::Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) {
  acceptable_ = HasFileList(data);
  *effect = Effect(*effect);
  std::wstring path = *effect == DROPEFFECT_COPY ? FirstDroppedFile(data) : std::wstring();
  acceptable_ = false;
  // Deliberate: a list that cannot be read is refused, so the source does
  // not report a copy that never happened.
  if (path.empty())
    *effect = DROPEFFECT_NONE;
  else
    onDrop_(path);
  return S_OK;
}

}  // namespace plum
