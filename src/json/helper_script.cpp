#include "json/helper_script.h"

namespace json {

// Written for an engine of the ECMAScript 3 generation. Values are told apart by their
// Object.prototype.toString tag, the one test that works across all such engines.
const std::u16string_view kHelperScript =
    uR"JS(
function get__nodeValue(str_json, recursion) {
  for (var key in str_json) {
    var value = str_json[key];
    var tag = Object.prototype.toString.call(value);
    if (tag == '[object Object]' || tag == '[object Array]') {
      if (recursion) get__nodeValue(value, recursion);
    } else if (tag == '[object String]' || tag == '[object Number]' || tag == '[object Boolean]') {
      str_all.push(value);
    }
  }
  return str_all;
}

function get__count(c) {
  return Object.prototype.toString.call(c) == '[object Array]' ? c.length : 0;
}

function get__name_All(a) {
  if (Object.prototype.toString.call(a) != '[object Object]') return '';
  var names = [];
  for (var key in a) {
    if (typeof a[key] != 'function') names.push(key);
  }
  return names.join('\r\n');
}

// Merges source into target. Numbers and nulls are replaced like strings, so a merge never
// stops half-way over a member that holds one.
function get__extend(target, source) {
  if (Object.prototype.toString.call(target) == '[object Array]') {
    for (var i = 0; i < source.length; i++) target.push(source[i]);
    return target;
  }
  for (var key in source) {
    var kind = typeof target[key];
    if (kind == 'string' || kind == 'boolean' || kind == 'undefined' || kind == 'number' ||
        target[key] === null) {
      target[key] = source[key];
    } else if (kind == 'object') {
      target[key] = get__extend(target[key], source[key]);
    }
  }
  return target;
}

// JSON.stringify and JSON.parse come from the engine, which always has them. Every object also
// gets toJSONString and parseJSON; they are enumerable, which is why the functions above skip
// function values.
if (typeof Object.prototype.toJSONString != 'function') {
  Object.prototype.toJSONString = function (filter) {
    return JSON.stringify(this, filter);
  };
}
if (typeof Object.prototype.parseJSON != 'function') {
  Object.prototype.parseJSON = function (filter) {
    return JSON.parse(this, filter);
  };
}
)JS";

}  // namespace json
