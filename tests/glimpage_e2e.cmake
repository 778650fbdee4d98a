# End-to-end tests of glimpage under Wine and in a console.
