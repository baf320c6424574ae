// The stand-in's session (host/sdk/Session.h): its database and the references of its objects.
#pragma once

#include "host/sdk/Session.h"
#include "host/standin/Database.h"

namespace host {

// The class of the session object.
inline constexpr ClassID kSessionBoss{0xF00100};

// The session's database, where the workspace and other session-wide objects are stored.
DataBase& SessionDataBase();
UIDRef SessionWorkspaceRef();
UIDRef UtilsRef();

} // namespace host
