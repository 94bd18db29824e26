// The page script of the reference ad network. The library's build page calls AVMO_buildAdURL with
// the request parameters (an object, or its JSON text); the script answers once, through a page
// message: "invalidRequest" without a slot name, "unableToServe" when the network has nothing for
// the slot, else "loadAdURL" with the ad address on the ad server and the request type. It answers
// at once, asking the network nothing.
//
// The build page's base address is the ad server's origin, so the ad address is made from the
// page's own location.

var AVMO_REQUEST_TYPE = 'sentrel';

// The slot names the network has nothing for: the network names them at the end of the script as
// it serves it.
var AVMO_REFUSED_SLOTS = [];

function AVMO_origin() {
  return location.protocol + '//' + location.host;
}

function AVMO_answer(name, fields) {
  var pairs = [];
  for (var key in fields) pairs.push(key + '=' + encodeURIComponent(fields[key]));
  location.href = 'gmsg://x/' + name + (pairs.length ? '?' + pairs.join('&') : '');
}

function AVMO_text(value) {
  if (value === null || value === undefined) return '';
  if (typeof value === 'object') return JSON.stringify(value);
  return String(value);
}

// Every parameter the script received, nested ones as JSON text, and the request type.
function AVMO_adAddress(params) {
  var pairs = [];
  for (var key in params) {
    if (key === 'type') continue;
    pairs.push(encodeURIComponent(key) + '=' + encodeURIComponent(AVMO_text(params[key])));
  }
  pairs.push('type=' + encodeURIComponent(AVMO_REQUEST_TYPE));
  return AVMO_origin() + '/ad?' + pairs.join('&');
}

function AVMO_buildAdURL(params) {
  if (typeof params === 'string') {
    try {
      params = JSON.parse(params);
    } catch (e) {
      params = null;
    }
  }
  if (!params || typeof params !== 'object' || !params.slotname) {
    AVMO_answer('invalidRequest', { reason: 'no slotname' });
    return;
  }
  var slotname = AVMO_text(params.slotname);
  if (AVMO_REFUSED_SLOTS.indexOf(slotname) >= 0) {
    AVMO_answer('unableToServe', { slotname: slotname });
    return;
  }
  AVMO_answer('loadAdURL', { type: AVMO_REQUEST_TYPE, url: AVMO_adAddress(params) });
}
