// openapi_document.h: the OpenAPI 3.1 document of a loaded plugin, generated
// from the API description it hands the host (never written by hand).
//
// Every endpoint becomes an operation (operationId = the function's name, tag
// = its name space) with its path, query and body parameters and their
// schemas; every registered record and enum becomes a component schema
// (records as objects whose fields are required unless they may be omitted,
// enums as string enums of their names). The gateway's own resources
// ("/events", "/openapi.json", "/") and its two ways of presenting the
// access token are described too.
//
// Where an argument comes from: a help record that names its "location"
// (1 query, 2 path, 4 header, 5 body) is followed. Otherwise an argument
// named in the URL template is a path parameter; the first argument of a
// POST, PUT or PATCH whose type is a record, an object or a map is the body;
// every other argument is a query parameter (non-scalar ones as JSON text).
// Endpoints that HTTP cannot reach (custom or no method, fragment templates)
// are listed under "x-unlisted-endpoints" instead.
//
// Not for: serving it (gateway.h caches the text once at start).
//
//   OpenApiInfo info{"kiv-probe", "1.0.0", "http://127.0.0.1:8080"};
//   std::string json = BuildOpenApiDocument(*record.api, info);
#pragma once

#include <string>

#include "kiv_plugin_abi.h"

namespace kiv::host::gateway {

struct OpenApiInfo {
  std::string title;
  std::string version;
  std::string serverUrl;  // e.g. "http://127.0.0.1:8123"
};

/// The document as pretty JSON. `description` is borrowed for the call.
std::string BuildOpenApiDocument(const ApiDescription& description, const OpenApiInfo& info);

}  // namespace kiv::host::gateway
