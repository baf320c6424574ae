// The plug-in's registrations with the host and its resources (boss classes, the interfaces it
// adds to the host's classes, its services, string-table texts and error texts).
#pragma once

#include "host/sdk/PlugIn.h"

// The head of the registration list: the registrations linked newest first, so the host
// receives the last one registered first.
const ImplementationRegistration* RegistrationListHead();

const PluginResources& PluginResourceTables();
