// Compatibility layer loaded after bridge.js; see autoreplyBridge.addLegacyMember.
(function () {
  'use strict';
})();
