#pragma once
// Forms made from dialog templates, and the application object with the
// message loop. A form binds its components (named fields) to the controls
// of its template and its handlers to their events in one table.
#include <map>

#include "ComCtrls.h"
#include "Menus.h"

namespace classlib {

enum TModalResult { mrNone = 0, mrOk = 1, mrCancel = 2, mrYes = 6, mrNo = 7, mrAll = 8, mrNoToAll = 9, mrYesToAll = 10 };

using TCloseQueryEvent = std::function<void(TObject* sender, bool& canClose)>;

class TForm : public TControl {
public:
    TForm() = default;
    // Destroys the window if it still exists. The controls of a derived form
    // are gone by then (they unhooked themselves), so whoever owns a form
    // calls DestroyHandle first: TApplication does.
    ~TForm() override;
    TForm(const TForm&) = delete;
    TForm& operator=(const TForm&) = delete;

    // Creates the window from its template, binds the components and runs
    // the creation handler.
    void Create(int templateId, HWND owner);
    // Destroys the window and its children while the form and its controls
    // still live; the nodes and items free their data on the way.
    void DestroyHandle();

    int ModalResult = mrNone;
    TMainMenu* Menu = nullptr;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;  // also after a modal run that the seams scripted
    TCloseQueryEvent OnCloseQuery;
    TNotifyEvent OnClose;
    TButton* DefaultButton = nullptr;
    TButton* CancelButton = nullptr;

    int ShowModal();
    void Show();
    void Hide();
    void Close();  // asks the close query first
    bool IsModal() const { return FModal; }
    // The close handler runs because the session ends (logoff, shutdown):
    // no one is there to answer a message box.
    bool EndingSession() const { return FEndingSession; }
    // The stay-on-top form style.
    void SetTopMost(bool topMost);
    bool StayOnTop() const { return FStayOnTop; }
    void CenterOnScreen();
    void SetClientSize(int width, int height);

    // Components by name (for the language loader and the tests).
    TComponent* FindComponent(const std::string& name) const;
    const std::vector<TComponent*>& Components() const { return FComponents; }
    // Text fields that are no component (message texts), by name.
    void RegisterText(std::string& field, const std::string& name);
    std::string* FindText(const std::string& name) const;
    const std::vector<std::pair<std::string, std::string*>>& Texts() const { return FTexts; }

    // Registers a control of the template under its name.
    template <class T>
    T& Bind(T& control, int id, const std::string& name, TAlign align = TAlign::alNone, TControl* parent = nullptr) {
        BindControl(control, id, name, align, parent);
        return control;
    }
    void Register(TComponent& component, const std::string& name);
    // A bound control that replaced its window: the new one reports to it.
    void ControlWindowChanged(TControl& control, HWND oldWindow);

    // Shows the hint of every control that has one as its tool tip (tool
    // buttons show theirs through their bar); a control's window and the
    // windows inside it (a combo box's edit part) all show it. Adds what is
    // new since the last call; the text is read when the tip comes up.
    void ShowHints();
    HWND ToolTipWindow() const { return FToolTip; }

    // Finds the shortcut of the focused control's pop-up menu, then of the
    // main menu, and runs it. True when the key was a shortcut.
    bool IsShortCut(const MSG& msg);
    bool HandleDialogMessage(MSG& msg);

protected:
    virtual void BindComponents() = 0;   // the binding table
    virtual void FormCreate() {}
    virtual INT_PTR WindowMessage(UINT msg, WPARAM wp, LPARAM lp, bool& handled);

private:
    void BindControl(TControl& control, int id, const std::string& name, TAlign align, TControl* parent);
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    INT_PTR Dispatch(UINT msg, WPARAM wp, LPARAM lp, bool& handled);
    TControl* ControlOf(HWND hwnd) const;
    TMenuItem* MenuItemOfCommand(int id) const;
    bool FModal = false;
    bool FClosing = false;
    bool FStayOnTop = false;
    bool FEndingSession = false;
    std::vector<TComponent*> FComponents;
    std::vector<std::pair<std::string, std::string*>> FTexts;
    std::map<HWND, TControl*> FControls;
    std::vector<TMenu*> FMenus;
    HWND FToolTip = nullptr;
    std::map<HWND, TControl*> FHintTools;
    // The hint of a tool's window, converted for the tip.
    const TControl* HintOwner(HWND tool) const;
};

class TApplication {
public:
    HINSTANCE Instance = nullptr;
    TForm* MainForm = nullptr;
    std::string Title = "Tessmorel";
    std::wstring HelpFile;  // the help file's real name
    TNotifyEvent OnMinimize;   // the application was minimised
    TNotifyEvent OnException;  // tests may watch reports

    void Initialize(HINSTANCE instance);
    // Creates a form: the first one becomes the main form.
    // The global form pointer is reset when the form is destroyed.
    template <class T>
    void CreateForm(T*& ref, int templateId) {
        ref = new T();
        FForms.push_back({std::unique_ptr<TForm>(ref), [&ref] { ref = nullptr; }});
        if (!MainForm) MainForm = ref;
        ref->Create(templateId, MainForm == ref ? nullptr : MainForm->Handle);
    }
    std::vector<TForm*> Forms() const;  // in creation order
    void Run();
    void ProcessMessages();
    void Terminate();
    bool Terminated() const { return FTerminated; }
    // The default report of an exception that reached a handler.
    void ShowException(const std::exception& e);
    void HandleException();  // call inside a catch block
    void DoMinimize();
    // Destroys every window (last created first) while all forms still
    // live, then the forms, and resets their global pointers.
    void DestroyForms();

    std::string LastExceptionMessage;

private:
    struct TOwnedForm {
        std::unique_ptr<TForm> Form;
        std::function<void()> ResetRef;
    };
    std::vector<TOwnedForm> FForms;
    bool FTerminated = false;
};

TApplication& Application();

// Runs fn and reports any exception the default way; nothing unwinds
// through the system's window procedures.
template <class F>
void Guarded(F&& fn) {
    try {
        fn();
    } catch (...) {
        Application().HandleException();
    }
}

}  // namespace classlib
