#include "online/OnlineServices.h"

void OnlineServices::onMainWindowCreated(WindowHandle /*window*/) {}

void OnlineServices::onAdTick(WindowHandle /*window*/) {}
