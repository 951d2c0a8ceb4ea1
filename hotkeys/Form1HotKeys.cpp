#include "hotkeys/Form1HotKeys.h"

#include "hotkeys/HookModule.h"
#include "playback/MediaPlayerControl.h"
#include "shell/Form1.h"

#include <QPointer>

namespace {

class Form1Target final : public HotKeyTarget
{
public:
    explicit Form1Target(Form1 *form) : m_form(form) {}
    MediaPlayer &Player() override { return *m_form->MP; }
    void ShowTransportImage(int pictureNumber, int imageIndex) override
    {
        PictureBox *box = pictureNumber == 1 ? m_form->Picture1 : pictureNumber == 2 ? m_form->Picture2 : m_form->Picture3;
        m_form->ShowImage(box, imageIndex);
    }

private:
    Form1 *m_form;
};

} // namespace

void InstallKeyboardHook(Form1 *form)
{
    static std::unique_ptr<Form1Target> target;
    target = std::make_unique<Form1Target>(form);
    InstallKeyboardHook(target.get());
}
