#pragma once

#include <QCoro/QCoroTask>
#include <QString>
#include <memory>

#include "backend/NativeActionRequest.h"

class BackendClient;

// Turns a quick action and a text into one call of the backend client. The assistant, the
// clipboard window and the layout fix are run elsewhere and refused here.
class NativeActionService {
public:
    explicit NativeActionService(std::unique_ptr<BackendClient> backend);
    ~NativeActionService();

    QCoro::Task<QString> run(NativeActionRequest request);

    BackendClient& backend() { return *backend_; }

private:
    std::unique_ptr<BackendClient> backend_;
};
