#include "DialogService.h"

#include "WidgetDialogService.h"

namespace {
DialogService* installedService = nullptr;
}

DialogService::~DialogService() = default;

DialogService& DialogService::instance() {
    if (installedService)
        return *installedService;
    static WidgetDialogService widgets;
    return widgets;
}

void DialogService::setInstance(DialogService* service) {
    installedService = service;
}
