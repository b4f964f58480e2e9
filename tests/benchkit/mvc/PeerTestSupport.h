// A fixture with the framework up, the clock manual and a shown form, and a
// recorder that writes each UI event down as one line of text.
#pragma once

#include "benchkit/mvc/IDEPeer.h"

#include <quorlpak/Forms.h>
#include <quorlpak/Quorlpak.h>

#include <win32/TestSeams.h>
#include <win32/windows.h>

#include <ApplicationTest.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

// "<id>" plus the fields that matter for its kind.
std::string Describe(IAWTEvent* E);

class TEventLog : public TInterfacedObject,
                  public IMouseListener,
                  public IMouseMotionListener,
                  public IKeyListener,
                  public IFocusListener,
                  public IComponentListener,
                  public IContainerListener,
                  public IDragListener {
public:
    explicit TEventLog(std::vector<std::string>* Log, std::string Tag = "")
        : FLog(Log), FTag(std::move(Tag)) {}
    HRESULT QueryInterface(REFIID iid, void** out) noexcept override {
        if (ProvideInterface<IMouseListener, IMouseMotionListener, IKeyListener, IFocusListener,
                             IComponentListener, IContainerListener, IDragListener, IEventListener>(
                this, iid, out))
            return S_OK;
        return TInterfacedObject::QueryInterface(iid, out);
    }
    void MouseClicked(IMouseEvent* E) override { Note(E); }
    void MousePressed(IMouseEvent* E) override { Note(E); }
    void MouseReleased(IMouseEvent* E) override { Note(E); }
    void MouseEntered(IMouseEvent* E) override { Note(E); }
    void MouseExited(IMouseEvent* E) override { Note(E); }
    void MouseDragged(IMouseEvent* E) override { Note(E); }
    void MouseMoved(IMouseEvent* E) override { Note(E); }
    void KeyTyped(IKeyEvent* E) override { Note(E); }
    void KeyPressed(IKeyEvent* E) override { Note(E); }
    void KeyReleased(IKeyEvent* E) override { Note(E); }
    void FocusGained(IFocusEvent* E) override { Note(E); }
    void FocusLost(IFocusEvent* E) override { Note(E); }
    void ComponentResized(IComponentEvent* E) override { Note(E); }
    void ComponentMoved(IComponentEvent* E) override { Note(E); }
    void ComponentShown(IComponentEvent* E) override { Note(E); }
    void ComponentHidden(IComponentEvent* E) override { Note(E); }
    void ComponentAdded(IContainerEvent* E) override { Note(E); }
    void ComponentRemoved(IContainerEvent* E) override { Note(E); }
    void DragEntered(IDragEvent* E) override { Note(E); }
    void DragExited(IDragEvent* E) override { Note(E); }
    void DragMoved(IDragEvent* E) override { Note(E); }
    void DragDropped(IDragEvent* E) override { Note(E); }
    void DragCancelled(IDragEvent* E) override { Note(E); }
    void DragTargeted(IDragEvent* E) override { Note(E); }

private:
    void Note(IAWTEvent* E) { FLog->push_back(FTag + Describe(E)); }
    std::vector<std::string>* FLog;
    std::string FTag;
};

class PeerTest : public ApplicationTest {
protected:
    void SetUp() override {
        ApplicationTest::SetUp();
        Form = ShownForm(300, 200);
    }
    // Every kind of listener, logging into Log.
    template <class Peer> void ListenToAll(Peer* peer, const std::string& tag = "") {
        InterfacePtr<TEventLog> log(new TEventLog(&Log, tag));
        peer->AddMouseListener(log.Get());
        peer->AddMouseMotionListener(log.Get());
        peer->AddKeyListener(log.Get());
        peer->AddFocusListener(log.Get());
        peer->AddComponentListener(log.Get());
        peer->AddContainerListener(log.Get());
        if constexpr (requires { peer->AddDragListener(log.Get()); })
            peer->AddDragListener(log.Get());
    }

    TForm* Form = nullptr;
    std::vector<std::string> Log;
};
