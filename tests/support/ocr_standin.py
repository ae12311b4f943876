"""A stand-in of the OCR service, for http_test_server.py --handler.

It answers the two requests the program makes under a base address whose path names the
scenario:

    https://localhost:PORT/ocr-standin/NAME=VALUE;NAME=VALUE;...

with each VALUE percent-encoded UTF-8:
  tag=T             names the scenario; the tokens handed out are counted per tag
  api=K secret=S    the keys the service knows (defaults "api-key" and "secret-key")
  token_error=TEXT  every token request is refused with this error description
  expire=N          the first N tokens handed out have expired by the time they are used
  lines=A,B,...     the lines recognised, each percent-encoded; left out: no text
  width=W height=H  the size the uploaded JPEG must have
  drop=token|recognition   that request gets no answer: the connection is closed

The token request (GET .../oauth/2.0/token?grant_type=client_credentials&client_id=K&
client_secret=S) is answered as the service does: "unknown client id" for another API Key,
"Client authentication failed" for another Secret Key (both with status 401), else a token.
The recognition request (POST .../rest/2.0/ocr/v1/general_basic?access_token=T) must carry a
form body of one field "image", Base64 of a JPEG (of the scenario's size); a token not handed
out gets error 110, an expired one 111, a body that fails a check an error naming the check,
and a good one the scenario's lines as "words_result". Whatever fails a check is also printed
on standard error. Other targets are left to the server's own script.
"""
import base64
import binascii
import json
import sys
import threading
import urllib.parse

PREFIX = "/ocr-standin/"
TOKEN_PATH = "/oauth/2.0/token"
RECOGNITION_PATH = "/rest/2.0/ocr/v1/general_basic"

_lock = threading.Lock()
_issued = {}  # tag -> tokens handed out, in order


def _scenario(path):
    rest = path[len(PREFIX):]
    segment, _, endpoint = rest.partition("/")
    settings = {}
    for item in segment.split(";"):
        name, _, value = item.partition("=")
        if name:
            settings[name] = urllib.parse.unquote_to_bytes(value).decode("utf-8")
    return settings, "/" + endpoint


def _json(status, value):
    body = json.dumps(value, ensure_ascii=False).encode("utf-8")
    return Reply(status, None, [("Content-Type", "application/json;charset=utf-8")], body)


def _refuse(why, code=216100, message="invalid param"):
    print(f"ocr-standin: {why}", file=sys.stderr, flush=True)
    return _json(200, {"error_code": code, "error_msg": f"{message}: {why}"})


def _one(query, name):
    values = query.get(name, [])
    return values[0].encode("latin-1") if len(values) == 1 else None


def _token(request, settings):
    if request.method != "GET" or request.body:
        return _refuse("the token request must be a GET without a body")
    query = request.query
    if _one(query, "grant_type") != b"client_credentials":
        return _refuse("grant_type is not client_credentials")
    client_id, client_secret = _one(query, "client_id"), _one(query, "client_secret")
    if client_id is None or client_secret is None:
        return _refuse("client_id or client_secret missing or repeated")
    if "token_error" in settings:
        return _json(401, {"error": "invalid_client", "error_description": settings["token_error"]})
    if client_id != settings.get("api", "api-key").encode("utf-8"):
        return _json(401, {"error": "invalid_client", "error_description": "unknown client id"})
    if client_secret != settings.get("secret", "secret-key").encode("utf-8"):
        return _json(401, {"error": "invalid_client",
                           "error_description": "Client authentication failed"})
    tag = settings.get("tag", "")
    with _lock:
        tokens = _issued.setdefault(tag, [])
        token = f"24.standin.{len(tokens) + 1}.2592000"
        tokens.append(token)
    return _json(200, {"refresh_token": "25.standin", "expires_in": 2592000,
                       "scope": "public brain_all_scope", "session_key": "standin",
                       "access_token": token, "session_secret": "standin"})


def _jpeg_size(data):
    """(width, height) from a JPEG's frame header, or None when it is no JPEG."""
    if not data.startswith(b"\xff\xd8\xff"):
        return None
    at = 2
    while at + 4 <= len(data):
        if data[at] != 0xFF:
            return None
        marker = data[at + 1]
        if marker == 0xFF:
            at += 1
            continue
        length = int.from_bytes(data[at + 2:at + 4], "big")
        if 0xC0 <= marker <= 0xCF and marker not in (0xC4, 0xC8, 0xCC):
            if at + 9 > len(data):
                return None
            height = int.from_bytes(data[at + 5:at + 7], "big")
            width = int.from_bytes(data[at + 7:at + 9], "big")
            return width, height
        at += 2 + length
    return None


def _recognition(request, settings):
    if request.method != "POST":
        return _refuse("the recognition request must be a POST")
    token = _one(request.query, "access_token")
    tag = settings.get("tag", "")
    with _lock:
        tokens = list(_issued.get(tag, []))
    if token is None or token.decode("latin-1") not in tokens:
        return _json(200, {"error_code": 110, "error_msg": "Access token invalid or no longer valid"})
    if tokens.index(token.decode("latin-1")) < int(settings.get("expire", "0")):
        return _json(200, {"error_code": 111, "error_msg": "Access token expired"})
    kind = (request.header("Content-Type") or "").split(";")[0].strip().lower()
    if kind != "application/x-www-form-urlencoded":
        return _refuse(f"the body is sent as {kind!r}, not as a form")
    try:
        form = urllib.parse.parse_qs(request.body.decode("ascii"), strict_parsing=True,
                                     keep_blank_values=True)
    except (UnicodeDecodeError, ValueError):
        return _refuse("the body is no form")
    if list(form) != ["image"] or len(form["image"]) != 1:
        return _refuse(f"the form holds {sorted(form)}, not one image")
    try:
        picture = base64.b64decode(form["image"][0], validate=True)
    except (binascii.Error, ValueError):
        return _refuse("the image is not Base64 (a '+', '/' or '=' sent without encoding?)")
    size = _jpeg_size(picture)
    if size is None:
        return _refuse("the image is not a JPEG", 216201, "image format error")
    wanted = (int(settings.get("width", size[0])), int(settings.get("height", size[1])))
    if size != wanted:
        return _refuse(f"the JPEG is {size[0]} x {size[1]}, not {wanted[0]} x {wanted[1]}",
                       216202, "image size error")
    lines = []
    if settings.get("lines"):
        lines = [urllib.parse.unquote_to_bytes(line).decode("utf-8")
                 for line in settings["lines"].split(",")]
    return _json(200, {"log_id": 1, "words_result_num": len(lines),
                       "words_result": [{"words": line} for line in lines]})


def reply(request):
    if not request.path.startswith(PREFIX):
        return None
    settings, endpoint = _scenario(request.path)
    if endpoint == TOKEN_PATH:
        if settings.get("drop") == "token":
            raise ConnectionError("dropped as the scenario asks")
        return _token(request, settings)
    if endpoint == RECOGNITION_PATH:
        if settings.get("drop") == "recognition":
            raise ConnectionError("dropped as the scenario asks")
        return _recognition(request, settings)
    return _json(404, {"error_code": 3, "error_msg": "Unsupported openapi method"})
