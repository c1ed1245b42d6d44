#pragma once

#include <QString>

class Defaults;

namespace BackendEndpoint {

// The backend's scheme and host, without a trailing slash: the environment variable
// NIVELO_BACKEND_ORIGIN when set, else the origin the build was made with.
QString origin();
// The full address of the AI endpoint, the same for every client.
QString aiURL();

// The stable identifier of this installation sent with every request: a UUID made once and
// kept in the defaults under "nivelo.deviceId".
QString installationId(Defaults& defaults);

}  // namespace BackendEndpoint
