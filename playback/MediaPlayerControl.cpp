#include "playback/MediaPlayerControl.h"

// Placeholder until the engine lands; replaced wholesale by its owner.
MediaPlayerControl::MediaPlayerControl(QWidget *parent) : QWidget(parent) {}
MediaPlayerControl::~MediaPlayerControl() = default;
double MediaPlayerControl::CurrentPosition() const { return 0; }
void MediaPlayerControl::setCurrentPosition(double) {}
double MediaPlayerControl::Duration() const { return 0; }
double MediaPlayerControl::Rate() const { return 1; }
void MediaPlayerControl::setRate(double) {}
int MediaPlayerControl::PlayState() const { return NoFile; }
void MediaPlayerControl::Play() {}
void MediaPlayerControl::Pause() {}
void MediaPlayerControl::Stop() {}
void MediaPlayerControl::Open(const QString &) {}
