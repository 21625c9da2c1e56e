#include "host/gateway/openapi_document.h"

#include <rapidjson/document.h>
#include <rapidjson/prettywriter.h>
#include <rapidjson/stringbuffer.h>

#include <cctype>
#include <cstring>
#include <map>
#include <set>
#include <string_view>
#include <vector>

#include "host/host_value_reader.h"
#include "host/resource_event.h"
#include "host/route_table.h"

namespace kiv::host::gateway {
namespace {

using Json = rapidjson::Value;
using Allocator = rapidjson::Document::AllocatorType;

constexpr char kBuiltinNameSpace[] = "$builtin";
constexpr char kErrorSchema[] = "gateway.Error";
constexpr char kSchemaPrefix[] = "#/components/schemas/";

// Argument locations as the plugin numbers them.
constexpr int64_t kQueryLocation = 1;
constexpr int64_t kHeaderLocation = 4;
constexpr int64_t kBodyLocation = 5;

// The JSON schema of each native type the help records name.
struct NativeSchema {
  const char* name;
  const char* type;  // null: any JSON value
  const char* format;
  bool hasMinimum;
  int64_t minimum;
  bool hasMaximum;
  uint64_t maximum;
};

constexpr NativeSchema kNativeSchemas[] = {
    {"bool", "boolean", nullptr, false, 0, false, 0},
    {"int8", "integer", "int32", true, -128, true, 127},
    {"uint8", "integer", "int32", true, 0, true, 255},
    {"int16", "integer", "int32", true, -32768, true, 32767},
    {"uint16", "integer", "int32", true, 0, true, 65535},
    {"int32", "integer", "int32", false, 0, false, 0},
    {"uint32", "integer", "int64", true, 0, true, 4294967295u},
    {"int64", "integer", "int64", false, 0, false, 0},
    {"uint64", "integer", nullptr, true, 0, true, 18446744073709551615u},
    {"float", "number", "float", false, 0, false, 0},
    {"double", "number", "double", false, 0, false, 0},
    {"string", "string", nullptr, false, 0, false, 0},
    {"object", nullptr, nullptr, false, 0, false, 0},
    {"callback", nullptr, nullptr, false, 0, false, 0},
    {"enum", "string", nullptr, false, 0, false, 0},
    {"struct", "object", nullptr, false, 0, false, 0},
};

// Operation keys of the methods HTTP clients can send, by method code.
struct MethodKey {
  uint32_t code;
  const char* key;
  bool takesBody;
};

constexpr MethodKey kMethodKeys[] = {
    {KIV_METHOD_DELETE, "delete", false}, {KIV_METHOD_GET, "get", false},
    {KIV_METHOD_HEAD, "head", false},     {KIV_METHOD_OPTIONS, "options", false},
    {KIV_METHOD_PATCH, "patch", true},    {KIV_METHOD_POST, "post", true},
    {KIV_METHOD_PUT, "put", true},
};

// The gateway's own resources.
struct GatewayResource {
  const char* path;
  const char* operationId;
  const char* summary;
  const char* description;
  const char* pathQuery;  // the description of a "path" query parameter, or null
  const char* answer;
  const char* contentType;
  const char* answerType;
};

constexpr GatewayResource kGatewayResources[] = {
    {"/events", "gatewayEvents", "Stream the plugin's events",
     "Server-Sent Events: every event the plugin publishes, as it happens. A resource change "
     "comes once, as event type \"Create\", \"Update\" or \"Delete\" with data {\"uri\", "
     "\"eventType\", \"data\"}; other events come under their own name with their body as data.",
     "Only resource changes whose URI starts with this text", "An endless event stream",
     "text/event-stream", "string"},
    {"/openapi.json", "gatewayOpenApi", "This document",
     "The OpenAPI document of the plugin's endpoints.", nullptr, "The document", "application/json",
     "object"},
    {"/", "gatewayIndex", "What this gateway serves",
     "The plugin's name and its endpoints, with links to the document and the event stream.",
     nullptr, "The index", "application/json", "object"},
};

// Body content types the plugin reads.
constexpr const char* kBodyContentTypes[] = {"application/json", "application/x-msgpack",
                                             "application/x-yaml"};

struct TypeId {
  std::string type;
  std::string elementType;
};

TypeId TypeIdOf(const HostValue* value) {
  return TypeId{TextOf(FindMember(value, "type")), TextOf(FindMember(value, "elementType"))};
}

// Component keys may hold only letters, digits, ".", "-" and "_".
std::string SchemaKey(std::string_view name) {
  std::string key(name);
  for (char& c : key) {
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-' && c != '_') c = '_';
  }
  return key;
}

// A parameter of a URL template, in order.
struct TemplateParameter {
  std::string name;
  char form = 0;  // 0 plain, '+' greedy, '#' fragment
};

std::vector<TemplateParameter> TemplateParameters(std::string_view text) {
  std::vector<TemplateParameter> parameters;
  for (size_t open = text.find('{'); open != std::string_view::npos;
       open = text.find('{', open + 1)) {
    const size_t close = text.find('}', open);
    if (close == std::string_view::npos) break;
    std::string_view inside = text.substr(open + 1, close - open - 1);
    TemplateParameter parameter;
    if (!inside.empty() && (inside[0] == '+' || inside[0] == '#')) {
      parameter.form = inside[0];
      inside.remove_prefix(1);
    }
    parameter.name = std::string(inside);
    parameters.push_back(std::move(parameter));
  }
  return parameters;
}

// The OpenAPI path of a template: "{+x}" becomes "{x}"; with `names` the
// parameters are renamed in order.
std::string OpenApiPath(std::string_view text, const std::vector<std::string>* names) {
  std::string path;
  size_t index = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '{') {
      path += text[i];
      continue;
    }
    const size_t close = text.find('}', i);
    if (close == std::string_view::npos) {
      path += text.substr(i);
      break;
    }
    std::string_view name = text.substr(i + 1, close - i - 1);
    if (!name.empty() && (name[0] == '+' || name[0] == '#')) name.remove_prefix(1);
    path += '{';
    path += names && index < names->size() ? (*names)[index] : std::string(name);
    path += '}';
    ++index;
    i = close;
  }
  return path;
}

class DocumentBuilder {
 public:
  explicit DocumentBuilder(const ApiDescription& description) : description_(description) {
    document_.SetObject();
    for (uint32_t i = 0; i < description.typeCount; ++i) {
      const std::string name = TextOf(FindMember(description.types[i], "name"));
      if (!name.empty() && !types_.count(name)) types_.emplace(name, &description.types[i]);
    }
  }

  std::string Build(const OpenApiInfo& info) {
    Add(document_, "openapi", Text("3.1.0"));
    Json infoJson(rapidjson::kObjectType);
    Add(infoJson, "title", Text(info.title));
    Add(infoJson, "version", Text(info.version));
    Add(infoJson, "description",
        Text("The endpoints of the plugin " + info.title +
             ", served over HTTP by the substitute host's gateway. Generated from the plugin's "
             "API description."));
    Add(document_, "info", std::move(infoJson));
    Json servers(rapidjson::kArrayType);
    Json server(rapidjson::kObjectType);
    Add(server, "url", Text(info.serverUrl));
    servers.PushBack(std::move(server), alloc());
    Add(document_, "servers", std::move(servers));
    Add(document_, "security", SecurityRequirements());

    Json paths(rapidjson::kObjectType);
    Json unlisted(rapidjson::kArrayType);
    AddGatewayPaths(paths);
    for (uint32_t i = 0; i < description_.functionCount; ++i) {
      AddFunction(description_.functions[i], paths, unlisted);
    }
    Add(document_, "paths", std::move(paths));
    Add(document_, "components", Components());
    if (!unlisted.Empty()) Add(document_, "x-unlisted-endpoints", std::move(unlisted));

    rapidjson::StringBuffer buffer;
    rapidjson::PrettyWriter<rapidjson::StringBuffer> writer(buffer);
    writer.SetIndent(' ', 2);
    document_.Accept(writer);
    return std::string(buffer.GetString(), buffer.GetSize());
  }

 private:
  Allocator& alloc() { return document_.GetAllocator(); }
  Json Text(std::string_view text) {
    return Json(text.data(), static_cast<rapidjson::SizeType>(text.size()), alloc());
  }
  void Add(Json& object, std::string_view name, Json value) {
    object.AddMember(Text(name), std::move(value), alloc());
  }
  Json Ref(std::string_view key) { return Object({{"$ref", kSchemaPrefix + std::string(key)}}); }
  Json Object(std::initializer_list<std::pair<const char*, std::string>> members) {
    Json object(rapidjson::kObjectType);
    for (const auto& [name, value] : members) Add(object, name, Text(value));
    return object;
  }

  // The schema of a type named by a help record.
  Json SchemaOf(const TypeId& id) {
    if (id.type == "vector") {
      Json schema = Object({{"type", "array"}});
      Add(schema, "items", SchemaOf(TypeId{id.elementType, ""}));
      return schema;
    }
    if (id.type == "map") {
      Json schema = Object({{"type", "object"}});
      Add(schema, "additionalProperties", SchemaOf(TypeId{id.elementType, ""}));
      return schema;
    }
    if (id.type == "blob") return Object({{"type", "string"}, {"contentEncoding", "base64"}});
    for (const NativeSchema& row : kNativeSchemas) {
      if (id.type != row.name) continue;
      Json schema(rapidjson::kObjectType);
      if (row.type) Add(schema, "type", Text(row.type));
      if (row.format) Add(schema, "format", Text(row.format));
      if (row.hasMinimum) Add(schema, "minimum", Json(row.minimum));
      if (row.hasMaximum) Add(schema, "maximum", Json(row.maximum));
      return schema;
    }
    if (types_.count(id.type)) return Ref(SchemaKey(id.type));
    return Json(rapidjson::kObjectType);  // unknown: any value
  }

  bool IsBodyType(const TypeId& id) const {
    if (id.type == "object" || id.type == "map" || id.type == "struct") return true;
    const auto found = types_.find(id.type);
    return found != types_.end() && !ItemsOf(FindMember(found->second, "fields")).empty();
  }

  static bool IsScalar(const TypeId& id) {
    return id.type != "vector" && id.type != "map" && id.type != "object" && id.type != "struct";
  }

  Json SecurityRequirements() {
    Json security(rapidjson::kArrayType);
    for (const char* scheme : {"bearerToken", "queryToken"}) {
      Json requirement(rapidjson::kObjectType);
      Add(requirement, scheme, Json(rapidjson::kArrayType));
      security.PushBack(std::move(requirement), alloc());
    }
    return security;
  }

  Json JsonResponse(std::string_view description, Json schema, const char* type) {
    Json response = Object({{"description", std::string(description)}});
    Json content(rapidjson::kObjectType);
    Json media(rapidjson::kObjectType);
    Add(media, "schema", std::move(schema));
    Add(content, type, std::move(media));
    Add(response, "content", std::move(content));
    return response;
  }

  Json ErrorResponses() {
    Json responses(rapidjson::kObjectType);
    Add(responses, "4XX",
        JsonResponse("The request was refused", Ref(kErrorSchema), "application/json"));
    Add(responses, "default",
        JsonResponse("The plugin answered an error", Ref(kErrorSchema), "application/json"));
    return responses;
  }

  // The gateway's own resources, each with its one GET operation.
  void AddGatewayPaths(Json& paths) {
    for (const GatewayResource& resource : kGatewayResources) {
      std::string description = resource.description;
      if (std::string_view(resource.path) == "/events") {
        description += " Events the plugin declares:";
        for (uint32_t i = 0; i < description_.eventCount; ++i) {
          description += " " + TextOf(FindMember(description_.events[i], "name"));
        }
        description += ".";
      }
      Json operation = Object({{"operationId", resource.operationId},
                               {"summary", resource.summary},
                               {"description", description}});
      Json tags(rapidjson::kArrayType);
      tags.PushBack(Text("gateway"), alloc());
      Add(operation, "tags", std::move(tags));
      if (resource.pathQuery) {
        Json parameters(rapidjson::kArrayType);
        parameters.PushBack(
            Parameter("path", "query", resource.pathQuery, false, TypeId{"string", ""}), alloc());
        Add(operation, "parameters", std::move(parameters));
      }
      Json responses = ErrorResponses();
      responses.AddMember(Text("200"),
                          JsonResponse(resource.answer, Object({{"type", resource.answerType}}),
                                       resource.contentType),
                          alloc());
      Add(operation, "responses", std::move(responses));
      Json item(rapidjson::kObjectType);
      Add(item, "get", std::move(operation));
      Add(paths, resource.path, std::move(item));
      reservedPaths_.insert(resource.path);
    }
  }

  // A query, header or path parameter; lists, maps and records travel as JSON text.
  Json Parameter(const std::string& name, const char* in, std::string_view description,
                 bool required, const TypeId& type) {
    Json parameter = Object({{"name", name}, {"in", in}});
    if (!description.empty()) Add(parameter, "description", Text(description));
    Add(parameter, "required", Json(required));
    if (IsScalar(type)) {
      Add(parameter, "schema", SchemaOf(type));
      return parameter;
    }
    Json media(rapidjson::kObjectType);
    Add(media, "schema", SchemaOf(type));
    Json content(rapidjson::kObjectType);
    Add(content, "application/json", std::move(media));
    Add(parameter, "content", std::move(content));
    return parameter;
  }

  Json RequestBody(std::string_view description, bool required, const TypeId& type) {
    Json body(rapidjson::kObjectType);
    if (!description.empty()) Add(body, "description", Text(description));
    Add(body, "required", Json(required));
    Json content(rapidjson::kObjectType);
    for (const char* contentType : kBodyContentTypes) {
      Json media(rapidjson::kObjectType);
      Add(media, "schema", SchemaOf(type));
      Add(content, contentType, std::move(media));
    }
    Add(body, "content", std::move(content));
    return body;
  }

  // The function's name, made unique among the operations.
  std::string OperationId(const ApiFunction& function) {
    const std::string base =
        SchemaKey(function.name && *function.name ? function.name : "operation");
    std::string id = base;
    for (int n = 2; !operationIds_.insert(id).second; ++n) id = base + "_" + std::to_string(n);
    return id;
  }

  void Unlisted(Json& unlisted, const ApiFunction& function, const char* reason) {
    Json entry = Object({{"name", function.name ? function.name : ""},
                         {"urlTemplate", function.urlTemplate ? function.urlTemplate : ""},
                         {"reason", reason}});
    unlisted.PushBack(std::move(entry), alloc());
  }

  void AddFunction(const ApiFunction& function, Json& paths, Json& unlisted) {
    if (function.nameSpace && std::strcmp(function.nameSpace, kBuiltinNameSpace) == 0) return;
    const std::string_view urlTemplate = function.urlTemplate ? function.urlTemplate : "";
    if (urlTemplate.empty()) return;
    const MethodKey* method = nullptr;
    for (const MethodKey& row : kMethodKeys) {
      if (row.code == function.method) method = &row;
    }
    if (!method) return Unlisted(unlisted, function, "HTTP cannot send this method");
    const std::vector<TemplateParameter> templateParameters = TemplateParameters(urlTemplate);
    for (const TemplateParameter& parameter : templateParameters) {
      if (parameter.form == '#') return Unlisted(unlisted, function, "HTTP never sends fragments");
    }

    // Paths that differ only in parameter names are one path: the first
    // template's names are kept and later operations follow them by position.
    const std::vector<std::string> unnamed(templateParameters.size());
    const std::string shape = OpenApiPath(urlTemplate, &unnamed);  // "/a/{}/b"
    std::vector<std::string> names;
    for (const TemplateParameter& parameter : templateParameters) names.push_back(parameter.name);
    const auto shapeEntry =
        pathOfShape_.emplace(shape, std::make_pair(OpenApiPath(urlTemplate, nullptr), names)).first;
    const std::string& pathKey = shapeEntry->second.first;
    const std::vector<std::string>& pathNames = shapeEntry->second.second;
    if (reservedPaths_.count(pathKey))
      return Unlisted(unlisted, function, "The gateway serves this path itself");
    if (!usedOperations_.insert(pathKey + " " + method->key).second) {
      return Unlisted(unlisted, function, "An earlier endpoint serves the same method and path");
    }

    const HostValue& help = function.help;
    const std::string operationId = OperationId(function);
    Json operation = Object({{"operationId", operationId}});
    const std::string description = TextOf(FindMember(help, "description"));
    Add(operation, "summary", Text(description.empty() ? operationId : description));
    const std::string details = TextOf(FindMember(help, "help"));
    if (!details.empty()) Add(operation, "description", Text(details));
    Json tags(rapidjson::kArrayType);
    tags.PushBack(Text(function.nameSpace && *function.nameSpace ? function.nameSpace : "plugin"),
                  alloc());
    Add(operation, "tags", std::move(tags));

    const auto arguments = ItemsOf(FindMember(help, "arguments"));
    auto argumentNamed = [&](const std::string& name) -> const HostValue* {
      for (const HostValue& argument : arguments) {
        if (TextOf(FindMember(argument, "name")) == name) return &argument;
      }
      return nullptr;
    };
    Json parameters(rapidjson::kArrayType);
    std::set<std::string> placed;
    // Path parameters first, in template order.
    for (size_t i = 0; i < templateParameters.size(); ++i) {
      const TemplateParameter& parameter = templateParameters[i];
      const HostValue* argument = argumentNamed(parameter.name);
      std::string text = TextOf(FindMember(argument, "description"));
      if (parameter.form == '+')
        text += text.empty() ? "May span segments." : " May span segments.";
      const TypeId type = argument ? TypeIdOf(FindMember(argument, "type")) : TypeId{"string", ""};
      parameters.PushBack(Parameter(pathNames[i], "path", text, true, type), alloc());
      placed.insert(parameter.name);
    }
    std::optional<Json> body;
    for (const HostValue& argument : arguments) {
      const std::string name = TextOf(FindMember(&argument, "name"));
      if (name.empty() || !placed.insert(name).second) continue;
      const TypeId type = TypeIdOf(FindMember(argument, "type"));
      const bool required = !BoolOf(FindMember(argument, "optional"));
      const std::string text = TextOf(FindMember(argument, "description"));
      int64_t location = IntegerIf(FindMember(argument, "location")).value_or(0);
      if (location == 0) {
        location = method->takesBody && !body && IsBodyType(type) ? kBodyLocation : kQueryLocation;
      }
      if (location == kBodyLocation && !body) {
        body = RequestBody(text, required, type);
      } else {
        const char* in = location == kHeaderLocation ? "header" : "query";
        parameters.PushBack(Parameter(name, in, text, required, type), alloc());
      }
    }
    if (!parameters.Empty()) Add(operation, "parameters", std::move(parameters));
    if (body) Add(operation, "requestBody", std::move(*body));

    Json responses = ErrorResponses();
    const TypeId returns = TypeIdOf(FindMember(help, "returns"));
    Json schema = returns.type.empty() ? Object({{"type", "null"}}) : SchemaOf(returns);
    responses.AddMember(Text("200"),
                        JsonResponse("The plugin's answer", std::move(schema), "application/json"),
                        alloc());
    Add(operation, "responses", std::move(responses));

    if (!paths.HasMember(pathKey.c_str())) Add(paths, pathKey, Json(rapidjson::kObjectType));
    Add(paths[pathKey.c_str()], method->key, std::move(operation));
  }

  Json TypeSchema(const HostValue& type) {
    Json schema(rapidjson::kObjectType);
    const std::string description = TextOf(FindMember(type, "description"));
    const auto values = ItemsOf(FindMember(type, "values"));
    if (!values.empty()) {
      Add(schema, "type", Text("string"));
      Json names(rapidjson::kArrayType);
      std::string numbers;
      for (const HostValue& value : values) {
        const std::string name = TextOf(FindMember(value, "name"));
        names.PushBack(Text(name), alloc());
        numbers += (numbers.empty() ? "" : ", ") + name + " = " +
                   std::to_string(IntegerIf(FindMember(value, "value")).value_or(0));
      }
      Add(schema, "enum", std::move(names));
      Add(schema, "description",
          Text(description.empty() ? "Values: " + numbers + "."
                                   : description + " Values: " + numbers + "."));
      return schema;
    }
    Add(schema, "type", Text("object"));
    if (!description.empty()) Add(schema, "description", Text(description));
    Json properties(rapidjson::kObjectType);
    Json required(rapidjson::kArrayType);
    for (const HostValue& field : ItemsOf(FindMember(type, "fields"))) {
      const std::string name = TextOf(FindMember(field, "name"));
      if (name.empty() || properties.HasMember(name.c_str())) continue;
      Json property = SchemaOf(TypeIdOf(FindMember(field, "type")));
      const std::string text = TextOf(FindMember(field, "description"));
      if (!text.empty()) Add(property, "description", Text(text));
      Add(properties, name, std::move(property));
      if (!BoolOf(FindMember(field, "optional"))) required.PushBack(Text(name), alloc());
    }
    Add(schema, "properties", std::move(properties));
    if (!required.Empty()) Add(schema, "required", std::move(required));
    return schema;
  }

  Json Components() {
    Json components(rapidjson::kObjectType);
    Json schemas(rapidjson::kObjectType);
    for (const auto& [name, type] : types_) {
      const std::string key = SchemaKey(name);
      if (schemas.HasMember(key.c_str())) continue;
      Add(schemas, key, TypeSchema(*type));
    }
    Json error =
        Object({{"type", "object"},
                {"description",
                 "An error answer: the status and the plugin's (or the gateway's) message."}});
    Json properties(rapidjson::kObjectType);
    Add(properties, "httpStatus", Object({{"type", "integer"}}));
    Add(properties, "message", Object({{"type", "string"}}));
    Add(error, "properties", std::move(properties));
    Json required(rapidjson::kArrayType);
    required.PushBack(Text("httpStatus"), alloc());
    required.PushBack(Text("message"), alloc());
    Add(error, "required", std::move(required));
    Add(schemas, kErrorSchema, std::move(error));
    Add(components, "schemas", std::move(schemas));

    Json schemes(rapidjson::kObjectType);
    Json bearer = Object({{"type", "http"},
                          {"scheme", "bearer"},
                          {"description", "The token printed when the gateway starts."}});
    Add(schemes, "bearerToken", std::move(bearer));
    Json query = Object({{"type", "apiKey"},
                         {"in", "query"},
                         {"name", "token"},
                         {"description", "The same token as a query parameter."}});
    Add(schemes, "queryToken", std::move(query));
    Add(components, "securitySchemes", std::move(schemes));
    return components;
  }

  const ApiDescription& description_;
  rapidjson::Document document_;
  std::map<std::string, const HostValue*> types_;
  std::set<std::string> reservedPaths_;
  std::set<std::string> usedOperations_;
  std::set<std::string> operationIds_;
  // Path shape (parameters renamed to "{}") -> (path key, parameter names).
  std::map<std::string, std::pair<std::string, std::vector<std::string>>> pathOfShape_;
};

}  // namespace

std::string BuildOpenApiDocument(const ApiDescription& description, const OpenApiInfo& info) {
  return DocumentBuilder(description).Build(info);
}

}  // namespace kiv::host::gateway
