#pragma once

#include <QString>

// Every message box of the program goes through this one service, titled with
// the application title. The real implementation shows a modal box on the
// user-interface thread; tests use a fake that records the texts and answers
// questions. Call only from the user-interface thread.
class MessageService {
public:
    enum class Icon { None, Information, Warning, Error };

    virtual ~MessageService() = default;

    // A message with one OK button; returns when the user has closed it.
    virtual void show(const QString& text, Icon icon = Icon::None) = 0;
    // A Yes/No question; true for Yes.
    virtual bool askYesNo(const QString& text) = 0;
};

// Title of every message box and the application's own title.
inline const char16_t kAppTitle[] = u"Kelvor视频录像监控软件";
