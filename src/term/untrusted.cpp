// untrusted
