// about
