// SPDX-License-Identifier: GPL-3.0-or-later
#include "hotkeys/x11/X11KeySource.h"

#include "hotkeys/x11/X11KeyGrabber.h"

std::unique_ptr<X11KeySource> X11KeySource::create()
{
    std::unique_ptr<X11KeySource> source(new X11KeySource);
    source->m_grabber = X11KeyGrabber::forApplication(
        [s = source.get()](FunctionKey key, bool press) { s->key(key, press); },
        [s = source.get()](const QList<X11KeyGrabber::Failure> &failures) {
            QList<UnavailableKey> keys;
            for (const X11KeyGrabber::Failure &f : failures) {
                for (const KeyBinding &b : std::as_const(s->m_bindings)) {
                    if (b.key == f.key) {
                        keys.append({b.action, f.key, f.whole});
                        break;
                    }
                }
            }
            emit s->unavailable(keys);
        });
    if (!source->m_grabber)
        return nullptr;
    return source;
}

X11KeySource::X11KeySource() = default;
X11KeySource::~X11KeySource() = default;

void X11KeySource::bind(const QList<KeyBinding> &bindings)
{
    m_bindings = bindings;
    m_down.clear();
    QList<FunctionKey> keys;
    for (const KeyBinding &b : bindings) {
        if (b.key != FunctionKey::None)
            keys.append(b.key);
    }
    m_grabber->setKeys(keys);
}

void X11KeySource::releaseAll()
{
    m_bindings.clear();
    m_down.clear();
    m_grabber->releaseAll();
}

void X11KeySource::key(FunctionKey key, bool press)
{
    KeyEvent event = KeyEvent::Release;
    if (press)
        event = m_down.contains(key) ? KeyEvent::Repeat : KeyEvent::Press;
    if (press)
        m_down.insert(key);
    else
        m_down.remove(key);
    for (const KeyBinding &b : std::as_const(m_bindings)) {
        if (b.key == key) {
            emit activated(b.action, event);
            return;
        }
    }
}
