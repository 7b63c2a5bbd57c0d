// An OLE drop target for one slot image. It accepts only a list of files
// (CF_HDROP), always reports "copy" to the drag source (so a source told
// "move" never deletes the user's file), and hands the first dropped path to
// a callback.
#pragma once

#include <windows.h>
#include <oleidl.h>

#include <functional>
#include <string>

namespace plum {

class SlotDropTarget final : public IDropTarget {
 public:
  using DropHandler = std::function<void(const std::wstring& firstPath)>;
  explicit SlotDropTarget(DropHandler onDrop) : onDrop_(std::move(onDrop)) {}

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // IDropTarget
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL at,
                                      DWORD* effect) override;
  HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL at, DWORD* effect) override;
  HRESULT STDMETHODCALLTYPE DragLeave() override;
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL at, DWORD* effect) override;

 private:
  ~SlotDropTarget() = default;
  DWORD Effect(DWORD allowed) const;

  LONG refs_ = 1;
  bool acceptable_ = false;
  DropHandler onDrop_;
};

}  // namespace plum
